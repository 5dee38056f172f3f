// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's editing commands: the grid's pop-up menu, Copy, Paste and Modify.
#include "app/ui/main_window.h"
#include "table/ui/grid_editing.h"

namespace kv {

void MainWindow::wireGridEditing() {
    new GridEditing(
        m_state, *m_dialogs, *m_grid, *m_model, *m_chart,
        {m_popup, action("mnuPopUpCopy"), action("mnuPopUpPaste"), action("mnuPopUpModify")}, this);
}

} // namespace kv
