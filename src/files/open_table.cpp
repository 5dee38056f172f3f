// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/open_table.h"

#include "base/step_runner.h"
#include "files/close_table.h"
#include "files/curve_files.h"
#include "files/file_dialogs.h"
#include "files/read_table.h"
#include "files/show_table.h"
#include "files/table_file.h"

namespace kv {
namespace {

void critical(Shell& shell, const std::string& text) {
    shell.dialogs().message(text, "File Open", Buttons::OK, Icon::Critical);
}

} // namespace

bool OpenTable(Shell& shell, const std::string& chosen, const std::string& caption) {
    ProgramState& s = shell.state();
    StepRunner steps(shell.dialogs());

    // 1. The open table may be saved first; Cancel, or a save that did not happen, stops.
    if (shell.tableShown() &&
        !offerToSave(shell, "Save advance table before opening file?", "Open File"))
        return false;

    // 2. Hide the table and let the window repaint before the dialog opens.
    const bool wasShown = shell.tableShown();
    const std::string oldCaption = shell.caption();
    shell.setTableShown(false);
    shell.processEvents();

    // 3.
    ClearEEPROMBuffer(s);

    // 4. Without a file the command ends; the table that was open comes back untouched
    // (its values are still in the live store), rather than staying hidden.
    std::string path = chosen;
    if (path.empty())
        steps.run([&] { path = FileOpen(shell.dialogs(), "Open File", kTableFilter, ""); });
    if (path.empty()) {
        if (wasShown) {
            shell.setTableShown(true);
            shell.setCaption(oldCaption);
        }
        return false;
    }
    return openTableFile(shell, path, caption);
}

bool openTableFile(Shell& shell, const std::string& path, const std::string& caption) {
    ProgramState& s = shell.state();
    StepRunner steps(shell.dialogs());

    // 6. The chart's appearance.
    if (!shell.loadChartTemplate()) {
        critical(shell, "Advance chart .oc2 file not found.");
        CloseTable(shell);
        return false;
    }

    // 7. The curve data section.
    const auto contents = readTableFile(path);
    if (!contents) {
        critical(shell, "Error loading " + path);
        CloseTable(shell);
        return false;
    }

    // 8. The table into AdvanceTable, the parameter section into the parameters. An
    // overflowing number goes to the error prompt: Abort ends the command there, the
    // parameters and the caption as they were and no table shown; Ignore takes
    // everything else the section says.
    s.AdvanceTable = contents->values;
    TableFileParameters p;
    if (!steps.run([&] {
            p = parameterDefaults(s.params);
            applyParameterLines(contents->parameterLines, p);
        }))
        return false;
    s.params = p.params;
    s.TableType = p.TableType;

    // 9. The limits of an "EX" or "TEX" table.
    if (!loadExLimits(shell, "Form Load")) return false;

    // 10. Values read from a file are held to the limits but to no lower bound.
    if (s.exLimited()) lowerToLimits(s.AdvanceTable, s.ExMaxTable);

    // 11. - 13.
    // A table opened under a caption of its own (an entry of the transfer history) has no
    // file of the user's to revert to or save over unasked.
    showWholeTable(shell, caption.empty() ? path : std::string());

    // 14. - 15.
    shell.setCaption(caption.empty() ? fileCaption(s.BaseCaption, path)
                                     : s.BaseCaption + " - " + caption);
    shell.applyInteraction(s.TableType);
    return true;
}

} // namespace kv

namespace kv {

bool RevertTable(Shell& shell) {
    ProgramState& s = shell.state();
    if (!shell.tableShown() || s.TableFile.empty()) return false;
    const std::string path = s.TableFile;
    const char* title = "Revert to Saved";

    // The file as Open Table would read it, flags it leaves out keeping their values.
    ProgramState onDisk;
    onDisk.params = s.params;
    if (const TableReadResult read = readTableAsOpened(onDisk, path, shell.companionPath(""));
        !read) {
        shell.dialogs().message(read.message, title, Buttons::OK, Icon::Critical);
        return false;
    }
    const bool changed = onDisk.live.values != s.live.values || onDisk.params != s.params ||
                         onDisk.TableType != s.TableType;
    if (changed && !offerToSave(shell, "Save advance table before reverting?", title)) return false;

    shell.setTableShown(false);
    shell.processEvents();
    ClearEEPROMBuffer(s);
    return openTableFile(shell, path);
}

} // namespace kv
