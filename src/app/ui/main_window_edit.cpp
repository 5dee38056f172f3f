// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's editing commands: the grid's pop-up menu, Copy, Paste and Modify, the
// same commands in the Edit menu, the Edit menu's bulk edits and Revert to Saved.
#include "app/ui/main_window.h"
#include "base/step_runner.h"
#include "files/open_table.h"
#include "table/ui/grid_editing.h"

#include <QMenu>
#include <QStatusBar>

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

void MainWindow::wireBulkEdits(QMenu* file, QMenu* edit) {
    auto* editing = findChild<GridEditing*>();
    // Beside the written Paste, which reads only the program's own copy buffer.
    auto* paste = new QAction(QStringLiteral("Paste &From Spreadsheet"), edit);
    paste->setObjectName(QStringLiteral("mnuPasteFromSpreadsheet"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    edit->insertAction(action("mnuEditModify"), paste);
    connect(paste, &QAction::triggered, editing, &GridEditing::mnuPasteFromSpreadsheet_Click);
    connect(addItem(edit, "&Interpolate Selection", "mnuInterpolate"), &QAction::triggered, editing,
            &GridEditing::mnuInterpolate_Click);
    connect(addItem(edit, "Smoo&th Selection", "mnuSmooth"), &QAction::triggered, editing,
            &GridEditing::mnuSmooth_Click);
    // What stops one of them is said where the user looks next, without a box to close.
    connect(editing, &GridEditing::statusMessage, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(text, 15000);
    });

    // After Save Table, with the commands that write the table's file.
    auto* revert = new QAction(QStringLiteral("Re&vert to Saved"), file);
    revert->setObjectName(QStringLiteral("mnuRevertTable"));
    file->insertAction(action("mnuSep2"), revert);
    connect(revert, &QAction::triggered, this, &MainWindow::mnuRevertTable_Click);
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateHistoryActions);
    updateHistoryActions();
}

void MainWindow::mnuRevertTable_Click() {
    if (m_transfer) return;
    runStep(*m_dialogs, [&] { RevertTable(*this); });
    updateHistoryActions();
}

} // namespace kv
