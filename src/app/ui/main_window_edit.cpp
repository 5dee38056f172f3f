// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's editing commands: the grid's pop-up menu, Copy, Paste and Modify, and
// the same commands in the Edit menu.
#include "app/ui/main_window.h"
#include "table/ui/grid_editing.h"

#include <QMenu>

namespace kv {

void MainWindow::wireGridEditing() {
    new GridEditing(
        m_state, *m_dialogs, *m_grid, *m_model, *m_chart,
        {m_popup, action("mnuPopUpCopy"), action("mnuPopUpPaste"), action("mnuPopUpModify")}, this);
}

void MainWindow::wireEditMenu() {
    m_editMenu->addSeparator()->setObjectName(QStringLiteral("mnuEditSep2"));
    addEditCommand(action("mnuPopUpCopy"), "&Copy", "mnuEditCopy");
    addEditCommand(action("mnuPopUpPaste"), "&Paste", "mnuEditPaste");
    addEditCommand(action("mnuPopUpModify"), "Modify &Selection...", "mnuEditModify");
}

QAction* MainWindow::addEditCommand(QAction* command, const char* caption, const char* name) {
    QAction* item = addItem(m_editMenu, caption, name);
    // The key the command answers to is shown, not taken: whoever answers it (the grid
    // for copy and paste) keeps doing so.
    item->setShortcuts(command->shortcuts());
    item->setShortcutContext(Qt::WidgetShortcut);
    connect(item, &QAction::triggered, command, [command] {
        if (command->isEnabled()) command->trigger();
    });
    connect(command, &QAction::changed, this, &MainWindow::updateEditMenu);
    m_editCommands.emplace_back(item, command);
    updateEditMenu();
    return item;
}

// An Edit menu item is available as its command is, while a table is open.
void MainWindow::updateEditMenu() {
    for (auto& [item, command] : m_editCommands)
        item->setEnabled(m_tableShown && command->isEnabled());
}

} // namespace kv
