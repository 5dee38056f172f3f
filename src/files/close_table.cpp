// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/close_table.h"

#include "files/save_table.h"

namespace kv {

bool offerToSave(Shell& shell, const std::string& question, const std::string& title) {
    const Button b =
        shell.dialogs().message(question, title, Buttons::YesNoCancel, Icon::Exclamation);
    if (b == Button::Cancel) return false;
    if (b == Button::Yes) return SaveTable(shell);
    return true;
}

bool CloseTable(Shell& shell) {
    if (shell.tableShown() &&
        !offerToSave(shell, "Save advance table before closing file?", "Close File"))
        return false;
    shell.setTableShown(false);
    shell.setCaption(shell.state().BaseCaption);
    return true;
}

} // namespace kv
