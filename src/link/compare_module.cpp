// SPDX-License-Identifier: GPL-3.0-or-later
// Compare With Module: Download's reading of the module, kept apart from the open table.
#include "base/step_runner.h"
#include "files/curve_data.h"
#include "files/curve_files.h"
#include "link/eeprom_image.h"
#include "link/transfers.h"

namespace kv {
namespace {
constexpr const char* kTitle = "Compare With Module";

const ModuleReading kComparisonReading{
    kTitle,
    "Firmware ID read failed - cannot compare.",
    "Invalid firmware ID - cannot compare.",
    "Reading the module failed - cannot compare.",
    "Reading the module failed - its data differed between two reads. Check the cable.",
    false};
} // namespace

bool ReadModuleForComparison(Shell& shell, LinkHost& link, ProgramState& module) {
    ProgramState& s = shell.state();
    if (!shell.tableShown()) {
        shell.dialogs().message("No advance table is open to compare with the module.", kTitle,
                                Buttons::OK, Icon::Exclamation);
        return false;
    }
    // The identification overwrites TableType with the module's type; the open table
    // keeps its own.
    const std::string tableType = s.TableType;
    const bool read = ReadModule(shell, link, kComparisonReading);
    module.TableType = s.TableType;
    s.TableType = tableType;
    if (!read) return false;
    module.FirmwareID = s.FirmwareID;
    module.EEPROMBuffer = s.EEPROMBuffer;

    // The module's table as Download would show it: within the limits of its type.
    StepRunner steps(shell.dialogs());
    if (!steps.run([&] { decodeImage(module.EEPROMBuffer, module.AdvanceTable, module.params); }))
        return false;
    if (!module.exLimited()) return true;
    const char* limits = curveFileNames(module.TableType).max;
    const auto curves = readCurveFile(shell.companionPath(limits));
    if (!curves) {
        shell.dialogs().message(std::string(limits) + " not found.", kTitle, Buttons::OK,
                                Icon::Critical);
        return false;
    }
    module.ExMaxTable = *curves;
    lowerToLimits(module.AdvanceTable, module.ExMaxTable);
    return true;
}

} // namespace kv
