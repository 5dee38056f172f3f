// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/read_table.h"
#include "files/table_file.h"
#include "table/bulk_edit.h"
#include "table/numbers.h"
#include "textlib/text_routines.h"

#include <charconv>
#include <cmath>
#include <iostream>

namespace kv::cli {
namespace {

// "R1,C1:R2,C2" as grid cells, corners in either order; rows 1..2, columns 1..16.
CellRange parseCells(const std::string& range) {
    const auto bad = [&] {
        return UsageError("bad --cells " + range +
                          ": expected R1,C1:R2,C2 with rows 1 to 2 and columns 1 to 16");
    };
    const auto number = [&](std::string_view text, int hi) {
        int v = 0;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || v < 1 ||
            v > hi)
            throw bad();
        return v;
    };
    const auto corner = [&](std::string_view rc) {
        const auto comma = rc.find(',');
        if (comma == std::string_view::npos) throw bad();
        return std::pair{number(rc.substr(0, comma), kGridRows - 1),
                         number(rc.substr(comma + 1), kGridCols - 1)};
    };
    const std::string_view all(range);
    const auto colon = all.find(':');
    if (colon == std::string_view::npos) throw bad();
    const auto [r1, c1] = corner(all.substr(0, colon));
    const auto [r2, c2] = corner(all.substr(colon + 1));
    return CellRange::spanning(r1, c1, r2, c2);
}

// --cells, or every data cell without it.
CellRange cellsOption(const ParsedArgs& a) {
    return a.option("--cells") ? parseCells(*a.option("--cells"))
                               : CellRange{1, 1, kGridRows - 1, kGridCols - 1};
}

// Reads FILE as Open Table does, applies `edit` to the cells and writes OUT.
template <class Edit> int editFile(const std::string& in, const std::string& out, Edit&& edit) {
    ProgramState s;
    if (const TableReadResult r = readTableAsOpened(s, in, executableFolder()); !r) {
        std::cerr << r.message << "\n";
        return 1;
    }
    edit(s);
    if (!writeTableFile(out, s)) {
        std::cerr << "Error saving " << out << "\n";
        return 1;
    }
    return 0;
}

// interpolate and smooth: FILE [--cells R1,C1:R2,C2] -o OUT, three columns at least.
int runRowEdit(const std::vector<std::string>& args, const std::string& command,
               void (*edit)(ProgramState&, const CellRange&)) {
    const ParsedArgs a = parseArgs(args, {}, {"--cells", "-o"});
    const auto out = a.option("-o");
    if (a.positional.size() != 1 || !out) throw UsageError("expected FILE and -o OUT");
    const CellRange cells = cellsOption(a);
    if (const auto refusal = refuseRowEdit(cells, command))
        throw UsageError("--cells: " + *refusal);
    return editFile(a.positional[0], *out, [&](ProgramState& s) { edit(s, cells); });
}

// A script has no Undo, so a rule must be one number, with a sign and a "%" as it needs
// them ("+10", "-7.5%", "30"): a typo would otherwise read as 0 (as the window's Modify
// reads it) and zero the cells.
bool isOneNumber(const std::string& rule) {
    const std::string number = StripChars(1, rule, "%+");
    return isNumeric(number) && std::isfinite(leadingNumber(number));
}

} // namespace

int runModify(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"--cells", "-o"});
    const auto out = a.option("-o");
    if (a.positional.size() != 2 || !out) throw UsageError("expected FILE, RULE and -o OUT");
    const CellRange cells = cellsOption(a);
    const auto rule = readModifyEntry(a.positional[1]);
    if (!rule || !isOneNumber(a.positional[1]))
        throw UsageError("RULE must be a number with an optional sign and %, such as +10, "
                         "-7.5% or 30");
    return editFile(a.positional[0], *out,
                    [&](ProgramState& s) { modifySelection(s, cells, *rule); });
}

int runInterpolate(const std::vector<std::string>& args) {
    return runRowEdit(args, "Interpolate", interpolateSelection);
}

int runSmooth(const std::vector<std::string>& args) {
    return runRowEdit(args, "Smooth", smoothSelection);
}

} // namespace kv::cli
