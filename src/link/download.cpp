// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/step_runner.h"
#include "files/close_table.h"
#include "files/curve_files.h"
#include "files/show_table.h"
#include "link/eeprom_image.h"
#include "link/protocol.h"
#include "link/read_twice.h"
#include "link/transfers.h"

namespace kv {
namespace {
constexpr const char* kTitle = "Download From EEPROM";

void warn(Shell& shell, const std::string& text) {
    shell.dialogs().message(text, kTitle, Buttons::OK, Icon::Exclamation);
}
} // namespace

bool DownloadFromEEPROM(Shell& shell, LinkHost& link) {
    ProgramState& s = shell.state();
    // 1. The open table may be saved first; Cancel (or a save that did not happen) stops.
    if (shell.tableShown() && !offerToSave(shell, "Save advance table before downloading?", kTitle))
        return false;

    // 2 to 4. From here on the previous table is closed.
    shell.setTableShown(false);
    shell.processEvents();
    ClearEEPROMBuffer(s);
    shell.setCaption(s.BaseCaption + " - Data Buffer Empty");

    // 5 to 7. The identification decides the table type. Only an Escape pressed from here
    // on may cut the transfer short, not one left over from before.
    s.AbortRequested = false;
    ReadFirmwareID(link);
    if (!s.CommOKFlag) {
        warn(shell, "Firmware ID read failed - cannot download.");
        return false;
    }
    if (s.FirmwareID.empty()) {
        warn(shell, "Invalid firmware ID - cannot download.");
        return false;
    }
    warn(shell, "Firmware ID: " + s.FirmwareID);

    // 8. The image, read twice.
    EEPROMImage image{};
    const TwoReads read = readTwice(
        [&](EEPROMImage& into) {
            ReadEEPROMData(link);
            into = s.EEPROMBuffer;
            return s.CommOKFlag;
        },
        image);
    if (read != TwoReads::Agreed) {
        warn(shell, read == TwoReads::Failed ? "Download failed."
                                             : "Download failed - the module's data differed "
                                               "between two reads. Check the cable.");
        ClearEEPROMBuffer(s);
        return false;
    }

    StepRunner steps(shell.dialogs());
    // 9. Decoded values are not limited here: a RACE module may hold more than 40.
    if (!steps.run([&] { decodeImage(s.EEPROMBuffer, s.AdvanceTable, s.params); })) return false;

    // 10. The chart's look.
    bool templateLoaded = true;
    if (!steps.run([&] { templateLoaded = shell.loadChartTemplate(); })) return false;
    if (!templateLoaded) {
        shell.dialogs().message("Advance chart .oc2 file not found.", "File Open", Buttons::OK,
                                Icon::Critical);
        CloseTable(shell);
        return false;
    }

    // 11 and 12. The limits of an EX or TEX module; cells above them are lowered.
    bool limitsLoaded = true;
    if (!steps.run([&] { limitsLoaded = loadExLimits(shell, "Form Load"); })) return false;
    if (!limitsLoaded) return false; // reported, and the table closed
    if (s.exLimited()) lowerToLimits(s.AdvanceTable, s.ExMaxTable);

    // 13 to 17. Show it.
    showWholeTable(shell);
    shell.setCaption(s.BaseCaption + " - Downloaded Data");
    shell.applyInteraction(s.TableType);
    return true;
}

} // namespace kv
