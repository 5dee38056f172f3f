// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/grid_editing.h"

#include "base/step_runner.h"
#include "table/bulk_edit.h"
#include "table/ui/advance_chart.h"
#include "table/ui/edit_history.h"
#include "table/ui/grid_view.h"
#include "table/ui/table_model.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>

namespace kv {

const char* const kModifyPrompt = "Enter a new value. See examples below or Help for details.\r\n"
                                  "   Enter 30 to set all cells in selection to 30\r\n"
                                  "   Enter -5 to subtract 5 from each cell in selection\r\n"
                                  "   Enter +10 to add 10 to each cell in selection\r\n"
                                  "   Enter 80% to multiply each cell in selection by 80%\r\n"
                                  "   Enter -7.5% to reduce each cell in selection by 7.5%\r\n"
                                  "   Enter +15% to increase each cell in selection by 15%";

GridEditing::GridEditing(ProgramState& state, Dialogs& dialogs, GridView& grid, TableModel& model,
                         AdvanceChart& chart, Menu menu, QObject* parent)
    : QObject(parent), m_state(state), m_dialogs(dialogs), m_grid(grid), m_model(model),
      m_chart(chart), m_menu(menu) {
    // The menu shows the keys; the grid answers them itself (GridView::keyPressEvent).
    m_menu.copy->setShortcut(QKeySequence::Copy);
    m_menu.paste->setShortcut(QKeySequence::Paste);
    for (QAction* a : {m_menu.copy, m_menu.paste})
        a->setShortcutContext(Qt::WidgetShortcut);

    connect(&m_grid, &GridView::rightButtonDown, this, &GridEditing::VSFlexGrid1_MouseDown);
    connect(&m_grid, &GridView::popupKeyPressed, this, &GridEditing::VSFlexGrid1_MouseDown);
    connect(m_menu.copy, &QAction::triggered, this, &GridEditing::mnuPopUpCopy_Click);
    connect(m_menu.paste, &QAction::triggered, this, &GridEditing::mnuPopUpPaste_Click);
    connect(m_menu.modify, &QAction::triggered, this, &GridEditing::mnuPopUpModify_Click);
    connect(&m_grid, &GridView::copyKeyPressed, this, [this] {
        if (m_menu.copy->isEnabled()) mnuPopUpCopy_Click();
    });
    connect(&m_grid, &GridView::pasteKeyPressed, this, [this] {
        if (m_menu.paste->isEnabled()) mnuPopUpPaste_Click();
    });
}

void GridEditing::VSFlexGrid1_MouseDown(QPoint globalPos) {
    if (!m_state.CopyBuffer.empty()) m_menu.paste->setEnabled(true);
    m_menu.popup->popup(globalPos);
}

void GridEditing::mnuPopUpCopy_Click() {
    runStep(m_dialogs, [&] {
        const auto selection = m_grid.selectedRange();
        if (!selection) return;
        copySelection(m_state, *selection);
        m_menu.paste->setEnabled(true);
        // The same text for other programs (a spreadsheet, say); Paste reads only ours.
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(QString::fromLatin1(m_state.CopyBuffer));
    });
}

void GridEditing::mnuPopUpPaste_Click() {
    runStep(m_dialogs, [&] {
        const auto selection = m_grid.selectedRange();
        if (!selection) return;
        const EditSnapshot before = takeSnapshot(m_state);
        const CellRange target = pasteCopyBuffer(m_state, *selection);
        if (m_history) m_history->record(QStringLiteral("Paste"), before);
        if (m_state.CopyRowExtent != 0 || m_state.CopyColExtent != 0) m_grid.selectRange(target);
        m_chart.hideValueLabel();
        m_model.storeChanged();
        m_chart.refresh(); // both curves, drawn once
    });
}

void GridEditing::mnuPopUpModify_Click() {
    runStep(m_dialogs, [&] {
        const auto answer = m_dialogs.input(kModifyPrompt, "Modify Selection", "");
        const auto rule = readModifyEntry(answer.value_or(""));
        if (!rule) return; // cancelled or empty: nothing changes
        const auto selection = m_grid.selectedRange();
        if (!selection) return;
        m_chart.hideValueLabel();
        const EditSnapshot before = takeSnapshot(m_state);
        modifySelection(m_state, *selection, *rule);
        if (m_history) m_history->record(QStringLiteral("Modify"), before);
        m_model.storeChanged();
        m_chart.refresh();
    });
}

template <class Change> void GridEditing::recordEdit(const QString& label, Change&& change) {
    m_chart.hideValueLabel();
    const EditSnapshot before = takeSnapshot(m_state);
    change();
    if (m_history) m_history->record(label, before);
    m_model.storeChanged();
    m_chart.refresh();
    Q_EMIT statusMessage({});
}

void GridEditing::editRows(const std::string& command,
                           void (*edit)(ProgramState&, const CellRange&)) {
    runStep(m_dialogs, [&] {
        const CellRange selection = m_grid.selectedRange().value_or(CellRange{});
        if (const auto refusal = refuseRowEdit(selection, command)) {
            Q_EMIT statusMessage(QString::fromStdString(*refusal));
            return;
        }
        recordEdit(QString::fromStdString(command), [&] { edit(m_state, selection); });
    });
}

void GridEditing::mnuInterpolate_Click() {
    editRows("Interpolate", interpolateSelection);
}

void GridEditing::mnuSmooth_Click() {
    editRows("Smooth", smoothSelection);
}

void GridEditing::mnuPasteFromSpreadsheet_Click() {
    runStep(m_dialogs, [&] {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        const TextBlock block =
            splitTextBlock(clipboard ? clipboard->text().toStdString() : std::string());
        const bool anyNumber = std::any_of(block.rows.begin(), block.rows.end(), [&](auto& row) {
            return std::any_of(row.begin(), row.end(),
                               [&](auto& cell) { return blockCellNumber(block, cell); });
        });
        const QString command = QStringLiteral("Paste From Spreadsheet");
        if (!anyNumber) {
            Q_EMIT statusMessage(command + QStringLiteral(": the clipboard holds no number. "
                                                          "Nothing changed."));
            return;
        }
        std::optional<CellRange> landed;
        recordEdit(command, [&] {
            landed = pasteTextBlock(m_state, block, m_grid.currentRow(), m_grid.currentCol());
        });
        if (landed)
            m_grid.selectRange(*landed);
        else
            Q_EMIT statusMessage(command + QStringLiteral(": no number lands on the Low or WOT "
                                                          "row from the current cell. Nothing "
                                                          "changed."));
    });
}

} // namespace kv
