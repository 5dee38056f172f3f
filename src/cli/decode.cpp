// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_args.h"
#include "cli/table_json.h"
#include "link/eeprom_image.h"
#include "table/numbers.h"

#include <iostream>

namespace kv::cli {

// The image does not hold the table type (the module's identification does), so the
// decoded table carries the start-up type, "RACE", and no limits beyond the image's own.
int runDecode(const std::vector<std::string>& args) {
    const ParsedArgs a = parseArgs(args, {"--json"}, {});
    if (a.positional.size() != 1) throw UsageError("expected the image as 78 hex digits");
    const auto image = imageFromHex(a.positional[0]);
    if (!image) throw UsageError("the image must be 78 hexadecimal digits (39 bytes)");

    TableDocument doc;
    decodeImage(*image, doc.values, doc.params);
    if (a.has("--json")) {
        std::cout << tableJson(doc) << "\n";
        return 0;
    }
    const ModuleParameters& p = doc.params;
    const auto flag = [](bool f) { return f ? "True" : "False"; };
    std::cout << "RearOffset: " << p.RearOffset << "\nRetardVal: " << p.RetardVal
              << "\nRPMLimit: " << p.RPMLimit << "\nCrankRevs: " << p.CrankRevs
              << "\nFixedLimFlag: " << flag(p.FixedLimFlag)
              << "\nSelEEPROMTblFlag: " << flag(p.SelEEPROMTblFlag)
              << "\nRetardEnableFlag: " << flag(p.RetardEnableFlag)
              << "\nKickStartFlag: " << flag(p.KickStartFlag) << "\n";
    for (const int curve : {kWot, kLow}) {
        std::cout << (curve == kWot ? "WOT:" : "Low:");
        for (int point = 1; point <= kPoints; ++point)
            std::cout << " " << format1(doc.values(point, curve));
        std::cout << "\n";
    }
    return 0;
}

} // namespace kv::cli
