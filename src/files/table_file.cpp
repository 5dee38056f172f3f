// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/table_file.h"

#include "base/errors.h"
#include "files/curve_data.h"
#include "table/numbers.h"
#include "textlib/text_lines.h"
#include "textlib/text_routines.h"

#include <algorithm>
#include <cctype>

namespace kv {
namespace {

const char* flagText(bool f) {
    return f ? "True" : "False";
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool containsNoCase(std::string_view text, std::string_view what) {
    return lower(text).find(lower(what)) != std::string::npos;
}

// The line without the characters up to and including its first colon.
std::string valueText(const std::string& line) {
    std::string v = line;
    const auto colon = v.find(':');
    DeleteChars(v, 1, colon == std::string::npos ? 0 : static_cast<int>(colon) + 1);
    return v;
}

std::int16_t clampTo(std::int16_t v, std::int16_t lo, std::int16_t hi) {
    return std::clamp(v, lo, hi);
}

} // namespace

std::string tableFileText(const Table16x2& values, const ModuleParameters& p,
                          const std::string& tableType) {
    std::string out = curveDataText(values);
    const auto line = [&out](std::string_view key, const std::string& value) {
        out.append(key).append(value).append("\r\n");
    };
    out.append("!Module Parameters\r\n");
    line("!RearOffset: ", signedText(p.RearOffset));
    line("!RetardVal: ", signedText(p.RetardVal));
    line("!RPMLimit: ", signedText(p.RPMLimit));
    line("!CrankRevs: ", signedText(p.CrankRevs));
    line("!FixedLimFlag: ", flagText(p.FixedLimFlag));
    line("!SelEEPROMTblFlag: ", flagText(p.SelEEPROMTblFlag));
    line("!RetardEnableFlag: ", flagText(p.RetardEnableFlag));
    line("!KickStartFlag: ", flagText(p.KickStartFlag));
    line("!Version: ", tableType);
    return out;
}

bool writeTableFile(const std::string& path, const ProgramState& s) {
    return writeFileAtomically(path, tableFileText(s.live.values, s.params, s.TableType));
}

std::optional<TableFileContents> readTableFile(const std::string& path) {
    const auto bytes = readSmallFile(path);
    if (!bytes) return std::nullopt;
    const auto section = parseCurveData(*bytes);
    if (!section) return std::nullopt;

    TableFileContents contents;
    contents.values = section->values;
    // Every line of the file is looked at, the curve section's too; it holds no "!".
    LineReader lines(*bytes);
    std::string_view line;
    while (lines.next(line))
        if (line.find('!') != std::string_view::npos) contents.parameterLines.emplace_back(line);
    return contents;
}

TableFileParameters parameterDefaults(const ModuleParameters& current) {
    TableFileParameters p;
    p.params = current;
    p.params.RearOffset = 0;
    p.params.RetardVal = 0;
    p.params.CrankRevs = 2;
    p.params.RPMLimit = 5700;
    p.TableType = "RACE";
    return p;
}

void applyParameterLines(const std::vector<std::string>& lines, TableFileParameters& p) {
    bool overflowed = false;
    const auto number = [&](const std::string& line, std::int16_t& target, ParameterRange r) {
        try {
            target = clampTo(toInt16(leadingNumber(valueText(line))), r.lowest, r.highest);
        } catch (const KvError&) {
            overflowed = true;
        }
    };
    const auto flag = [](const std::string& line, bool& target) {
        target = containsNoCase(valueText(line), "True");
    };
    ModuleParameters& m = p.params;
    for (const std::string& line : lines) {
        // Each key is tested on its own: a line holding two keys sets both.
        if (containsNoCase(line, "!RearOffset")) number(line, m.RearOffset, kRearOffsetRange);
        if (containsNoCase(line, "!RetardVal")) number(line, m.RetardVal, kRetardValRange);
        if (containsNoCase(line, "!CrankRevs")) number(line, m.CrankRevs, kCrankRevsRange);
        if (containsNoCase(line, "!FixedLimFlag")) flag(line, m.FixedLimFlag);
        if (containsNoCase(line, "!SelEEPROMTblFlag")) flag(line, m.SelEEPROMTblFlag);
        if (containsNoCase(line, "!KickStartFlag")) flag(line, m.KickStartFlag);
        if (containsNoCase(line, "!RetardEnableFlag")) flag(line, m.RetardEnableFlag);
        if (containsNoCase(line, "!RPMLimit")) number(line, m.RPMLimit, kRPMLimitRange);
        if (containsNoCase(line, "!Version")) {
            // "TEX" first: it contains "EX".
            const std::string v = valueText(line);
            if (containsNoCase(v, "TEX"))
                p.TableType = "TEX";
            else if (containsNoCase(v, "EX"))
                p.TableType = "EX";
        }
    }
    if (overflowed) throw overflowError();
}

} // namespace kv
