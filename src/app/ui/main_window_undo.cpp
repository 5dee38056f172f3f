// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's Undo and Redo, and comparing the open table with a table file.
#include "app/ui/main_window.h"
#include "base/step_runner.h"
#include "files/file_dialogs.h"
#include "files/read_table.h"
#include "table/ui/advance_chart.h"
#include "table/ui/edit_history.h"
#include "table/ui/grid_editing.h"
#include "table/ui/table_model.h"

#include <QFileInfo>
#include <QMenu>

namespace kv {

void MainWindow::wireHistoryAndCompare(QMenu* file, QMenu* edit) {
    m_history = new EditHistory(m_state, this);
    m_model->setHistory(m_history);
    m_chart->setHistory(m_history);
    if (auto* editing = findChild<GridEditing*>()) editing->setHistory(m_history);
    m_history->setRestoredHandler([this] {
        m_chart->hideValueLabel();
        m_model->storeChanged();
        m_chart->refresh();
        updateStatus();
    });

    edit->addSeparator()->setObjectName(QStringLiteral("mnuEditSep1"));
    QAction* undo = addItem(edit, "&Undo", "mnuUndo");
    QAction* redo = addItem(edit, "&Redo", "mnuRedo");
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(undo, &QAction::triggered, this, &MainWindow::mnuUndo_Click);
    connect(redo, &QAction::triggered, this, &MainWindow::mnuRedo_Click);
    QUndoStack& stack = m_history->stack();
    for (auto signal : {&QUndoStack::canUndoChanged, &QUndoStack::canRedoChanged})
        connect(&stack, signal, this, &MainWindow::updateHistoryActions);
    for (auto signal : {&QUndoStack::undoTextChanged, &QUndoStack::redoTextChanged})
        connect(&stack, signal, this, &MainWindow::updateHistoryActions);

    // With the commands that open a table, before the separator.
    auto* compare = new QAction(QStringLiteral("Compare &With..."), file);
    compare->setObjectName(QStringLiteral("mnuCompareWith"));
    compare->setCheckable(true);
    file->insertAction(action("mnuSep1"), compare);
    connect(compare, &QAction::triggered, this, &MainWindow::mnuCompareWith_Click);
    auto* kept = new QAction(QStringLiteral("&History..."), file);
    kept->setObjectName(QStringLiteral("mnuHistory"));
    file->insertAction(action("mnuSep1"), kept);
    connect(kept, &QAction::triggered, this, &MainWindow::mnuHistory_Click);
    updateHistoryActions();
}

void MainWindow::updateHistoryActions() {
    if (!m_history) return;
    const QUndoStack& stack = m_history->stack();
    const bool open = m_tableShown && !m_transfer;
    QAction* undo = action("mnuUndo");
    QAction* redo = action("mnuRedo");
    undo->setEnabled(open && stack.canUndo());
    redo->setEnabled(open && stack.canRedo());
    undo->setText(stack.canUndo() ? QStringLiteral("&Undo %1").arg(stack.undoText())
                                  : QStringLiteral("&Undo"));
    redo->setText(stack.canRedo() ? QStringLiteral("&Redo %1").arg(stack.redoText())
                                  : QStringLiteral("&Redo"));
    action("mnuCompareWith")->setEnabled(open);
    for (const char* name : {"mnuInterpolate", "mnuSmooth", "mnuPasteFromSpreadsheet"})
        if (QAction* a = action(name)) a->setEnabled(open);
    if (QAction* revert = action("mnuRevertTable"))
        revert->setEnabled(open && !m_state.TableFile.empty());
}

// A drag under way is not yet a step: going back under it would leave the drag's step
// starting from a state the history no longer holds.
void MainWindow::mnuUndo_Click() {
    if (m_tableShown && !m_transfer && !m_chart->dragging()) m_history->stack().undo();
}

void MainWindow::mnuRedo_Click() {
    if (m_tableShown && !m_transfer && !m_chart->dragging()) m_history->stack().redo();
}

void MainWindow::editModuleParameters(const std::function<void()>& runDialog) {
    m_history->recordAround(QStringLiteral("Module Parameters"), runDialog);
    updateStatus();
}

void MainWindow::forgetOpenTable() {
    if (!m_history) return;
    m_history->clear();
    endComparison();
}

bool MainWindow::comparing() const {
    return m_model->reference().has_value();
}

void MainWindow::endComparison() {
    m_chart->setReference(std::nullopt);
    m_model->setReference(std::nullopt);
    m_comparingModule = false;
    action("mnuCompareWith")->setChecked(false);
    action("mnuCompareModule")->setChecked(false);
    updateStatus();
}

// Compare With... is checked during any comparison (choosing it ends one), Compare With
// Module only while the module is compared with.
void MainWindow::showComparison(const Table16x2& values, const ModuleParameters& params,
                                const std::string& tableType, const QString& name, bool module) {
    m_referenceParams = params;
    m_referenceType = tableType;
    m_referenceName = name;
    m_chart->setReference(values, name);
    m_model->setReference(values, name);
    m_comparingModule = module;
    action("mnuCompareWith")->setChecked(true);
    action("mnuCompareModule")->setChecked(module);
    updateStatus();
}

bool MainWindow::compareWithFile(const std::string& path) {
    ProgramState reference;
    const TableReadResult read =
        readTableAsOpened(reference, path, QFile::encodeName(m_folder).toStdString());
    if (!read) {
        m_dialogs->message(read.message, "Compare With", Buttons::OK, Icon::Critical);
        return false;
    }
    const QString name = QFileInfo(QFile::decodeName(path.c_str())).fileName();
    // A table of another type is held to other limits: said once, as the comparison starts.
    if (reference.TableType != m_state.TableType)
        m_dialogs->message(name.toStdString() + " is a table of type " + reference.TableType +
                               ", the open table one of type " + m_state.TableType +
                               ".\r\n\r\nThe values are compared as they are, each "
                               "held to the limits of its own type.",
                           "Compare With", Buttons::OK, Icon::Information);
    showComparison(reference.live.values, reference.params, reference.TableType, name);
    return true;
}

void MainWindow::mnuCompareWith_Click() {
    if (comparing()) {
        endComparison();
        return;
    }
    runStep(*m_dialogs, [&] {
        const std::string path = FileOpen(*m_dialogs, "Compare With", kTableFilter, "");
        if (!path.empty()) compareWithFile(path);
    });
    updateStatus();
    action("mnuCompareWith")->setChecked(comparing());
}

} // namespace kv
