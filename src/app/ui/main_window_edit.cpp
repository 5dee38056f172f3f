// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's editing commands: the grid's pop-up menu, Copy, Paste and Modify, the
// bulk edits of the Edit menu and Revert to Saved.
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

void MainWindow::wireBulkEdits(QMenu* file, QMenu* edit) {
    auto* editing = findChild<GridEditing*>();
    edit->addSeparator()->setObjectName(QStringLiteral("mnuEditSep2"));
    QAction* paste = addItem(edit, "Paste &From Spreadsheet", "mnuPasteFromSpreadsheet");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
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
