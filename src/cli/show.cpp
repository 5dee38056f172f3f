// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "cli/table_json.h"
#include "files/read_table.h"
#include "table/numbers.h"
#include "textlib/text_routines.h"

#include <iostream>

namespace kv::cli {
namespace {

const char* flagText(bool f) {
    return f ? "True" : "False";
}

void printTable(const ProgramState& s) {
    const ModuleParameters& p = s.params;
    std::cout << "Type: " << s.TableType << "\n"
              << "RearOffset: " << p.RearOffset << "\n"
              << "RetardVal: " << p.RetardVal << "\n"
              << "RPMLimit: " << p.RPMLimit << "\n"
              << "CrankRevs: " << p.CrankRevs << "\n"
              << "FixedLimFlag: " << flagText(p.FixedLimFlag) << "\n"
              << "SelEEPROMTblFlag: " << flagText(p.SelEEPROMTblFlag) << "\n"
              << "RetardEnableFlag: " << flagText(p.RetardEnableFlag) << "\n"
              << "KickStartFlag: " << flagText(p.KickStartFlag) << "\n";
    // The grid as the window shows it: headings, then "Low" and "WOT" at one decimal.
    for (int r = 0; r < kGridRows; ++r) {
        std::string line;
        for (int c = 0; c < kGridCols; ++c)
            line += PadField(s.live.text(r, c), 8);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::cout << line << "\n";
    }
}

} // namespace

int runShow(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {"--json", "--csv"}, {});
    if (a.has("--json") && a.has("--csv")) throw UsageError("--json or --csv, not both");
    if (a.positional.size() != 1) throw UsageError("expected one table file");
    const std::string& path = a.positional[0];

    ProgramState s;
    if (const TableReadResult r = readTableAsOpened(s, path, executableFolder()); !r) {
        std::cerr << r.message << "\n";
        return 1;
    }
    const TableDocument doc{s.live.values, s.params, s.TableType, s.FirmwareID};
    if (a.has("--json")) {
        std::cout << tableJson(doc) << "\n";
    } else if (a.has("--csv")) {
        std::cout << tableCsv(doc);
    } else {
        printTable(s);
    }
    return 0;
}

} // namespace kv::cli
