// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/headless.h"
#include "files/curve_data.h"
#include "files/curve_files.h"
#include "files/new_table.h"
#include "files/table_file.h"

#include <filesystem>
#include <iostream>

namespace kv::cli {

int runNew(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {}, {"--type", "--slope", "-o"});
    const auto type = a.option("--type");
    const auto slopeText = a.option("--slope");
    const auto out = a.option("-o");
    if (!a.positional.empty() || !type || !slopeText || !out)
        throw UsageError("expected --type, --slope and -o");
    if (*type != "RACE" && *type != "EX" && *type != "TEX")
        throw UsageError("--type must be RACE, EX or TEX");
    if (slopeText->size() != 1 || (*slopeText)[0] < '0' || (*slopeText)[0] > '9')
        throw UsageError("--slope must be a whole number from 0 to 9");

    const CurveFileNames names = curveFileNames(*type);
    const std::filesystem::path folder = executableFolder();
    const auto min = readCurveFile((folder / names.min).string());
    if (!min) {
        std::cerr << names.min << " not found.\n";
        return 1;
    }
    const auto max = readCurveFile((folder / names.max).string());
    if (!max) {
        std::cerr << names.max << " not found.\n";
        return 1;
    }

    // The parameters at their start-up values; RearOffset, which New Table zeroes for
    // EX and TEX, is already 0 there.
    const Table16x2 table = blendTemplates(*min, *max, (*slopeText)[0] - '0');
    if (!writeFileAtomically(*out, tableFileText(table, ModuleParameters{}, *type))) {
        std::cerr << "Error saving " << *out << "\n";
        return 1;
    }
    return 0;
}

} // namespace kv::cli
