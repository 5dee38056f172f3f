// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's pop-up menu, Copy, Paste and Modify, through the real window, grid and menu.
#include "app/ui/main_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/grid_edit.h"
#include "table/numbers.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"
#include "window_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineSeries>
#include <QMenu>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;

namespace {

struct Cell {
    int row;
    int col;
    std::string text;
    double value;
};

const std::string kPrompt = "Enter a new value. See examples below or Help for details.\r\n"
                            "   Enter 30 to set all cells in selection to 30\r\n"
                            "   Enter -5 to subtract 5 from each cell in selection\r\n"
                            "   Enter +10 to add 10 to each cell in selection\r\n"
                            "   Enter 80% to multiply each cell in selection by 80%\r\n"
                            "   Enter -7.5% to reduce each cell in selection by 7.5%\r\n"
                            "   Enter +15% to increase each cell in selection by 15%";

class GridEditing : public kv::test::WindowTest {
protected:
    GridView* grid() { return w->grid(); }

    // A table of `type` with WOT 11..26, Low 6..21 and every EX limit at 32.
    void open(const std::string& type, const std::vector<Cell>& typed = {}) {
        s().TableType = type;
        s().ExMaxTable.fill(32);
        s().AdvanceTable = kv::test::curves(10, 5);
        copyAdvanceTableToLive(s());
        CopyChartToGrid(s());
        for (const Cell& c : typed) {
            s().live.setText(c.row, c.col, c.text);
            s().live.values(c.col, seriesOfRow(c.row)) = c.value;
        }
        w->liveTableChanged();
        w->setTableShown(true);
        w->applyInteraction(type);
        w->resizeLayout();
        QApplication::processEvents();
        before = s().live;
    }

    QPoint centre(int row, int col) {
        return grid()->visualRect(grid()->model()->index(row, col)).center();
    }
    // Selects as a user does: a click on one corner, a Shift+click on the other.
    void select(const CellRange& r) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, centre(r.row1, r.col1));
        if (r.row2 != r.row1 || r.col2 != r.col1)
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                              centre(r.row2, r.col2));
    }
    void rightClick(int row, int col) {
        QTest::mousePress(grid()->viewport(), Qt::RightButton, {}, centre(row, col));
        QTest::mouseRelease(grid()->viewport(), Qt::RightButton, {}, centre(row, col));
    }
    void trigger(const char* name) { w->action(name)->trigger(); }

    // Every cell but `changed` is as it was; the changed ones hold their text, value and
    // chart point.
    void expectOnly(const std::vector<Cell>& changed, const std::string& what) {
        LiveTable expected = before;
        for (const Cell& c : changed) {
            expected.setText(c.row, c.col, c.text);
            expected.values(c.col, seriesOfRow(c.row)) = c.value;
        }
        for (int r = 0; r < kGridRows; ++r)
            for (int c = 0; c < kGridCols; ++c)
                EXPECT_EQ(s().live.text(r, c), expected.text(r, c)) << what << " " << r << "," << c;
        for (int r = 1; r < kGridRows; ++r)
            for (int c = 1; c < kGridCols; ++c) {
                const int series = seriesOfRow(r);
                const double v = s().live.value(series, c);
                EXPECT_DOUBLE_EQ(v, expected.value(series, c)) << what << " " << r << "," << c;
                auto* line =
                    qobject_cast<QLineSeries*>(w->chart()->chart()->series().at(series - 1));
                EXPECT_DOUBLE_EQ(line->at(c - 1).y(), v) << what << " chart " << r << "," << c;
            }
    }

    LiveTable before;
};

} // namespace

TEST_F(GridEditing, PopUpMenuOnTheRightButtonWithPasteEnabledOnlyOnceSomethingIsCopied) {
    open("RACE");
    select({1, 2, 2, 4});
    QMenu* menu = w->popupMenu();
    rightClick(1, 9); // outside the selection, which stays as it is
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(w->action("mnuPopUpPaste")->isEnabled());
    EXPECT_LT((menu->pos() - grid()->viewport()->mapToGlobal(centre(1, 9))).manhattanLength(), 3);
    EXPECT_EQ(grid()->selectedRange(), (CellRange{1, 2, 2, 4}));
    menu->hide();

    QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier); // nothing to paste yet
    expectOnly({}, "Ctrl+V before a copy");

    QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(s().CopyBuffer, "7.0\t8.0\t9.0\r12.0\t13.0\t14.0");
    EXPECT_EQ(s().CopyRowExtent, 1);
    EXPECT_EQ(s().CopyColExtent, 2);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), s().CopyBuffer);
    EXPECT_TRUE(w->action("mnuPopUpPaste")->isEnabled());

    // Closing the table keeps the buffer; Paste stays enabled from then on.
    dialogs.expectMessage("", Button::No); // no save before closing
    trigger("mnuCloseTable");
    dialogs.clear();
    open("RACE");
    select({2, 10, 2, 10});
    rightClick(2, 10);
    EXPECT_TRUE(w->action("mnuPopUpPaste")->isEnabled());
    menu->hide();
    QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
    expectOnly({{2, 10, "7.0", 7}, {2, 11, "8.0", 8}, {2, 12, "9.0", 9}}, "Ctrl+V");
    EXPECT_EQ(grid()->selectedRange(), (CellRange{2, 10, 2, 12}));
    EXPECT_TRUE(dialogs.prompts().empty());
}

TEST_F(GridEditing, PastePlacesTheBlockTrimsItToTheDataCellsAndHoldsExTablesToTheirLimits) {
    struct Case {
        const char* name;
        const char* type;
        std::vector<Cell> typed; // texts as typed before the copy
        CellRange copy;
        CellRange select;
        std::vector<Cell> pasted;
        CellRange selectedAfter;
    };
    const Case cases[] = {
        {"one cell into 2 x 4",
         "RACE",
         {{1, 1, "12.5", 12.5}},
         {1, 1, 1, 1},
         {1, 3, 2, 6},
         {{1, 3, "12.5", 12.5},
          {1, 4, "12.5", 12.5},
          {1, 5, "12.5", 12.5},
          {1, 6, "12.5", 12.5},
          {2, 3, "12.5", 12.5},
          {2, 4, "12.5", 12.5},
          {2, 5, "12.5", 12.5},
          {2, 6, "12.5", 12.5}},
         {1, 3, 2, 6}},
        {"2 x 3 block at row 1, column 5",
         "RACE",
         {},
         {1, 1, 2, 3},
         {1, 5, 1, 5},
         {{1, 5, "6.0", 6},
          {1, 6, "7.0", 7},
          {1, 7, "8.0", 8},
          {2, 5, "11.0", 11},
          {2, 6, "12.0", 12},
          {2, 7, "13.0", 13}},
         {1, 5, 2, 7}},
        {"the selection's size does not matter to a block",
         "RACE",
         {},
         {2, 1, 2, 2},
         {1, 8, 2, 12},
         {{1, 8, "11.0", 11}, {1, 9, "12.0", 12}},
         {1, 8, 1, 9}},
        {"TEX above the limits",
         "TEX",
         {{1, 1, "35.25", 35.25}, {1, 2, "12", 12}, {1, 3, "32", 32}},
         {1, 1, 1, 3},
         {2, 3, 2, 3},
         {{2, 3, "32.0", 32}, {2, 4, "12", 12}, {2, 5, "32", 32}},
         {2, 3, 2, 5}},
        {"RACE keeps the copied texts",
         "RACE",
         {{1, 1, "35.25", 35.25}, {1, 2, "12", 12}, {1, 3, "41", 41}},
         {1, 1, 1, 3},
         {2, 3, 2, 3},
         {{2, 3, "35.25", 35.25}, {2, 4, "12", 12}, {2, 5, "41", 41}},
         {2, 3, 2, 5}},
        {"a block reaching past the grid",
         "RACE",
         {},
         {1, 1, 2, 3},
         {2, 15, 2, 15},
         {{2, 15, "6.0", 6}, {2, 16, "7.0", 7}},
         {2, 15, 2, 16}},
        {"a block on the headings",
         "EX",
         {},
         {1, 1, 2, 2},
         {0, 3, 0, 3},
         {{1, 3, "11.0", 11}, {1, 4, "12.0", 12}},
         {0, 3, 1, 4}},
        {"one cell over headings",
         "RACE",
         {{1, 1, "12.5", 12.5}},
         {1, 1, 1, 1},
         {0, 15, 2, 16},
         {{1, 15, "12.5", 12.5},
          {1, 16, "12.5", 12.5},
          {2, 15, "12.5", 12.5},
          {2, 16, "12.5", 12.5}},
         {0, 15, 2, 16}},
    };
    for (const Case& c : cases) {
        open(c.type, c.typed);
        select(c.copy);
        trigger("mnuPopUpCopy");
        select(c.select);
        w->chart()->showValueLabelAt(kWot, 1);
        trigger("mnuPopUpPaste");
        expectOnly(
            [&] {
                std::vector<Cell> all = c.typed;
                all.insert(all.end(), c.pasted.begin(), c.pasted.end());
                return all;
            }(),
            c.name);
        EXPECT_EQ(grid()->selectedRange(), c.selectedAfter) << c.name;
        if (c.copy.row2 > c.copy.row1 || c.copy.col2 > c.copy.col1) { // a block: anchored
            EXPECT_EQ(grid()->currentRow(), c.select.row1) << c.name;
            EXPECT_EQ(grid()->currentCol(), c.select.col1) << c.name;
        }
        EXPECT_FALSE(w->chart()->valueLabelVisible()) << c.name;
    }
    EXPECT_TRUE(dialogs.prompts().empty());
}

TEST_F(GridEditing, ModifyAppliesTheRuleWithinTheLimitsOfTheTableType) {
    struct Case {
        const char* type;
        const char* cell; // the text of cell (2, 5) before; its value is its reading
        std::optional<std::string> entry;
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"RACE", "12.0", "30", "30.0", 30},
        {"RACE", "3.0", "-5", "0.0", 0},
        {"EX", "3.0", "-5", "-2.0", -2},
        {"RACE", "35.0", "+10", "40.0", 40},
        {"RACE", "25.0", "80%", "20.0", 20},
        {"RACE", "20.0", "+15%", "23.0", 23},
        {"RACE", "20.0", "-7.5%", "18.5", 18.5},
        {"RACE", "20.0", "%", "0.0", 0},
        {"RACE", "10.0", "5-", "15.0", 15},
        {"RACE", "10.0", " +10 ", "20.0", 20},
        {"EX", "25.0", "+10", "32.0", 32},
        {"TEX", "25.0", "30", "30.0", 30},
        {"RACE", "11.25", "+10%", "12.4", 12.375},
        {"TEX", "11.25", "+10%", "12.4", 12.375},
        // Entries without a number, with several signs, or beyond any double.
        {"RACE", "20.0", "abc", "0.0", 0},
        {"RACE", "20.0", "nan", "0.0", 0},
        {"RACE", "20.0", "+-5", "15.0", 15},
        {"RACE", "20.0", "1e999", "40.0", 40},
        {"RACE", "20.0", "-1e999", "0.0", 0},
        {"RACE", "20.0", "1e999%", "40.0", 40},
        {"RACE", "0.0", "1e999%", "0.0", 0},
        {"RACE", "20.0", std::string(5000, '9'), "40.0", 40},
        {"EX", "20.0", "1e999", "32.0", 32},
        {"EX", "20.0", "-1e999", "20.0", 20},
        {"EX", "-1e308", "-1e308", "-1e308", -1e308},
        // Cancelled or empty: nothing changes.
        {"RACE", "20.0", std::nullopt, "20.0", 20},
        {"RACE", "20.0", "", "20.0", 20},
        {"RACE", "20.0", "   ", "20.0", 20},
    };
    for (const Case& c : cases) {
        const std::string what =
            std::string(c.type) + " " + c.cell + " " + c.entry.value_or("(cancel)").substr(0, 20);
        open(c.type, {{2, 5, c.cell, leadingNumber(c.cell)}});
        select({2, 5, 2, 5});
        dialogs.expectInput(kPrompt, c.entry);
        trigger("mnuPopUpModify");
        ASSERT_TRUE(dialogs.done());
        EXPECT_EQ(dialogs.last().title, "Modify Selection");
        EXPECT_EQ(dialogs.last().filter, ""); // the box opens empty
        expectOnly({{2, 5, c.text, c.value}}, what);
        EXPECT_TRUE(std::isfinite(s().live.value(kWot, 5))) << what;
    }
}

TEST_F(GridEditing, ModifyChangesOnlyTheDataCellsOfASelectionWithHeadings) {
    open("RACE");
    select({0, 0, 2, 2});
    w->chart()->showValueLabelAt(kLow, 1);
    dialogs.expectInput(kPrompt, "+1");
    trigger("mnuPopUpModify");
    expectOnly({{1, 1, "7.0", 7}, {1, 2, "8.0", 8}, {2, 1, "12.0", 12}, {2, 2, "13.0", 13}},
               "+1 over headings");
    EXPECT_FALSE(w->chart()->valueLabelVisible());
    EXPECT_EQ(grid()->selectedRange(), (CellRange{0, 0, 2, 2}));
}
