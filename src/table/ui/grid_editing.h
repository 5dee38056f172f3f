// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "table/grid_edit.h"

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;

namespace kv {

class AdvanceChart;
class EditHistory;
class GridView;
class TableModel;

// The prompt of the Modify Selection input box, its lines joined by CR LF.
extern const char* const kModifyPrompt;

// The grid's pop-up menu and its commands: Copy and Paste through the program's own copy
// buffer, and Modify Selection. The window owns the menu and its three items; this wires
// them to the grid, the copy and paste keys and the right button.
class GridEditing : public QObject {
    Q_OBJECT
public:
    struct Menu {
        QMenu* popup = nullptr;
        QAction* copy = nullptr;
        QAction* paste = nullptr;
        QAction* modify = nullptr;
    };
    GridEditing(ProgramState& state, Dialogs& dialogs, GridView& grid, TableModel& model,
                AdvanceChart& chart, Menu menu, QObject* parent = nullptr);

    // The right button went down over the grid (or the menu key was pressed on it): the
    // menu at the mouse (or the current cell), Paste enabled once anything was copied,
    // the selection as it was.
    void VSFlexGrid1_MouseDown(QPoint globalPos);
    void mnuPopUpCopy_Click();
    void mnuPopUpPaste_Click();
    void mnuPopUpModify_Click();

    // The Edit menu's bulk edits, each one step of the history. What stops one (a
    // selection too narrow, a clipboard without a number) is said in `statusMessage`.
    void mnuInterpolate_Click();
    void mnuSmooth_Click();
    // The system clipboard's text as a spreadsheet block, from the current cell on.
    void mnuPasteFromSpreadsheet_Click();

    // Each paste and each Modify is one step of this history (none: not recorded).
    void setHistory(EditHistory* history) { m_history = history; }

Q_SIGNALS:
    void statusMessage(const QString& text);

private:
    // Interpolate or Smooth along the rows of the selection, unless refused.
    void editRows(const std::string& command, void (*edit)(ProgramState&, const CellRange&));
    // Runs `change` on the table as one step of the history, then lets the views follow.
    template <class Change> void recordEdit(const QString& label, Change&& change);

    ProgramState& m_state;
    Dialogs& m_dialogs;
    GridView& m_grid;
    TableModel& m_model;
    AdvanceChart& m_chart;
    Menu m_menu;
    EditHistory* m_history = nullptr;
};

} // namespace kv
