// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/report_layout.h"

#include "table/numbers.h"
#include "textlib/text_routines.h"

#include <algorithm>
#include <cctype>

namespace kv {
namespace {

constexpr int kLeft = 10;
constexpr int kValue = 40;
constexpr int kFirmwareColumn = 30;
constexpr int kFieldWidth = 8;

const char* word(bool f) {
    return f ? "True" : "False";
}

ReportLine at(int column, std::string text) {
    return {{column, std::move(text)}};
}

ReportLine labelled(const char* label, std::string value, int valueColumn = kValue) {
    return {{kLeft, label}, {valueColumn, std::move(value)}};
}

ReportLine heading(const ReportInput& in) {
    return at(kLeft, in.shortName + " Vanta Ignition Module Data Printed: " + in.printedAt);
}

ReportLine commentLine(const ReportInput& in) {
    return at(kLeft, "Serial/Comment: " + in.comment);
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// At most `n` characters of UTF-8 text, control characters as blanks.
std::string firstChars(const std::string& text, int n) {
    std::string out;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!isContinuation(c) && ++count > n) break;
        out.push_back(c < 0x20 || c == 0x7F ? ' ' : text[i]);
    }
    return out;
}

} // namespace

ReportInput reportInputFrom(const ProgramState& s) {
    ReportInput in;
    in.grid = s.live.texts;
    in.params = s.params;
    in.FirmwareID = s.FirmwareID;
    return in;
}

std::vector<ReportLine> chartPageLines(const ReportInput& in) {
    std::vector<ReportLine> lines{heading(in)};
    if (!in.comment.empty()) lines.push_back(commentLine(in));
    return lines;
}

std::vector<ReportLine> dataPageLines(const ReportInput& in) {
    const ModuleParameters& p = in.params;
    std::vector<ReportLine> lines{heading(in), {}};
    if (!in.comment.empty()) lines.push_back(commentLine(in));
    lines.push_back({});
    lines.push_back(at(kLeft, "Advance Table"));
    lines.push_back({});
    for (const auto& row : in.grid) {
        std::string fields;
        for (const auto& cell : row)
            fields += PadField(cell, kFieldWidth);
        lines.push_back(at(kLeft, std::move(fields)));
    }
    lines.insert(lines.end(), 2, ReportLine{});
    lines.push_back(labelled("Firmware ID:", in.FirmwareID, kFirmwareColumn));
    lines.push_back({});
    if (!p.KickStartFlag) lines.push_back(labelled("Cranking Revs:", signedText(p.CrankRevs)));
    lines.push_back(labelled("Rear Cylinder Offset (Deg):", formatNumber(p.RearOffset, "#0.0")));
    lines.push_back(labelled("Retard (Deg):", formatNumber(p.RetardVal, "#0.0")));
    lines.push_back(labelled("Fixed RPM Limit:", formatNumber(p.RPMLimit, "##00")));
    lines.push_back({});
    lines.push_back(labelled("Kick Start Mode Enabled:", word(p.KickStartFlag)));
    lines.push_back(labelled("Retard Feature Enabled:", word(p.RetardEnableFlag)));
    lines.push_back(labelled("Fixed RPM Limit Enabled:", word(p.FixedLimFlag)));
    lines.push_back(labelled("Select EEPROM Advance Table:", word(p.SelEEPROMTblFlag)));
    return lines;
}

std::vector<ReportLine> fitToColumns(std::vector<ReportLine> lines, int columns) {
    for (auto& line : lines) {
        for (auto& item : line)
            item.text = firstChars(item.text, std::max(0, columns - item.column + 1));
        std::erase_if(line, [&](const ReportItem& i) { return i.column > columns; });
    }
    return lines;
}

std::string reportFontFamily(const std::vector<std::string>& families) {
    const std::string wanted = "monospac821 bt";
    const auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    };
    for (const auto& f : families)
        if (lower(f) == wanted) return "Monospac821 BT";
    return "Courier New";
}

PixelRect chartRect(double pageWidthTwips, double pageHeightTwips, double tppX, double tppY) {
    const auto px = [](double v) { return static_cast<int>(roundHalfEven(v)); };
    return {0, px(kChartTop / tppY), px(pageWidthTwips / tppX),
            px((pageHeightTwips - kChartTop) / tppY)};
}

} // namespace kv
