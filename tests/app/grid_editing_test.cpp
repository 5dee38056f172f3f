// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's pop-up menu, Copy, Paste and Modify, through the real window, grid and menu.
#include "table/grid_edit.h"
#include "table/numbers.h"
#include "window_fixture.h"

#include <QClipboard>
#include <sstream>

using namespace kv;

namespace {

struct Cell {
    int row, col;
    std::string text;
    double value;
};

class GridEditing : public kv::test::WindowTest {
protected:
    GridView* grid() { return w->grid(); }

    // A table of `type` with Low 6..21, WOT 11..26, every EX limit at 32, and `typed`.
    void open(const std::string& type, const std::vector<Cell>& typed = {}) {
        s().ExMaxTable.fill(32);
        kv::test::showTable(*w, type, kv::test::curves(10, 5));
        for (const Cell& c : typed) {
            s().live.setText(c.row, c.col, c.text);
            s().live.values(c.col, seriesOfRow(c.row)) = c.value;
        }
        w->liveTableChanged();
        w->resizeLayout();
        QApplication::processEvents();
        before = s().live;
    }

    QPoint centre(int row, int col) {
        return grid()->visualRect(model()->index(row, col)).center();
    }
    // Selects as a user does: a click on one corner, a Shift+click on the other.
    void select(const CellRange& r) {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, centre(r.row1, r.col1));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          centre(r.row2, r.col2));
    }

    // Every cell but `changed` is as it was; the changed ones hold their text, value and
    // chart point.
    void expectOnly(const std::vector<Cell>& changed, const std::string& what) {
        LiveTable expected = before;
        for (const Cell& c : changed) {
            expected.setText(c.row, c.col, c.text);
            expected.values(c.col, seriesOfRow(c.row)) = c.value;
        }
        kv::test::expectTable(*w, expected, what);
    }

    LiveTable before;
};

} // namespace

// Pasted cells are held to the limits a typed cell gets, whatever was copied: a value above
// them, one below 0, or a heading.
TEST_F(GridEditing, PastePlacesTheBlockTrimsItToTheDataCellsAndHoldsItToTheLimits) {
    struct Case {
        const char* type;
        std::vector<Cell> typed; // as typed before the copy
        CellRange copy, select, after;
        std::string texts; // the data cells of `after`, row by row; the last one repeats
    };
    const std::vector<Cell> typed = {{1, 1, "41", 41}, {1, 2, "12", 12}, {1, 3, "-3", -3}};
    const Case cases[] = {
        // clang-format off
        {"RACE", {}, {1, 1, 1, 1}, {1, 3, 2, 6}, {1, 3, 2, 6}, "6.0"},
        {"RACE", {}, {1, 1, 2, 3}, {1, 5, 1, 5}, {1, 5, 2, 7}, "6.0 7.0 8.0 11.0 12.0 13.0"},
        {"TEX", typed, {1, 1, 1, 3}, {2, 3, 2, 3}, {2, 3, 2, 5}, "32.0 12 0.0"},
        {"RACE", typed, {1, 1, 1, 3}, {2, 3, 2, 3}, {2, 3, 2, 5}, "40.0 12 0.0"},
        {"RACE", {}, {0, 3, 1, 3}, {1, 5, 1, 5}, {1, 5, 2, 5}, "40.0 8.0"}, // RPM 1000 and 8
        {"RACE", {}, {1, 1, 2, 3}, {2, 15, 2, 15}, {2, 15, 2, 16}, "6.0 7.0"}, // past the grid
        {"EX", {}, {1, 1, 2, 2}, {0, 3, 0, 3}, {0, 3, 1, 4}, "11.0 12.0"},   // on the headings
        // clang-format on
    };
    EXPECT_FALSE(w->action("mnuPopUpPaste")->isEnabled()); // nothing copied yet
    int n = 0;
    for (const Case& c : cases) {
        const std::string what = "case " + std::to_string(++n);
        open(c.type, c.typed);
        select(c.copy);
        QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
        select(c.select);
        w->chart()->showValueLabelAt(kWot, 1);
        trigger("mnuPopUpPaste");
        std::vector<Cell> cells = c.typed;
        std::istringstream texts(c.texts);
        std::string text;
        for (int r = std::max(c.after.row1, 1); r <= c.after.row2; ++r)
            for (int col = c.after.col1; col <= c.after.col2; ++col) {
                texts >> text;
                cells.push_back({r, col, text, leadingNumber(text)});
            }
        expectOnly(cells, what);
        EXPECT_EQ(grid()->selectedRange(), c.after) << what;
        EXPECT_FALSE(w->chart()->valueLabelVisible()) << what;
    }
    EXPECT_TRUE(dialogs.prompts().empty());
    EXPECT_EQ(s().CopyBuffer, "6.0\t7.0\r11.0\t12.0");
    EXPECT_EQ(s().CopyRowExtent, 1);
    EXPECT_EQ(s().CopyColExtent, 1);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), s().CopyBuffer);
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
        // clang-format off
        {"RACE", "12.0", "30", "30.0", 30},      {"RACE", "3.0", "-5", "0.0", 0},
        {"EX", "3.0", "-50", "0.0", 0},          {"RACE", "35.0", "+10", "40.0", 40},
        {"RACE", "25.0", "80%", "20.0", 20},     {"RACE", "20.0", "+15%", "23.0", 23},
        {"RACE", "20.0", "-7.5%", "18.5", 18.5}, {"RACE", "10.0", "5-", "15.0", 15},
        {"EX", "25.0", "+10", "32.0", 32},       {"TEX", "11.25", "+10%", "12.4", 12.375},
        // Entries without a number, with several signs, or beyond any double.
        {"RACE", "20.0", "abc", "0.0", 0},       {"RACE", "20.0", "+-5", "15.0", 15},
        {"RACE", "20.0", "1e999", "40.0", 40},   {"RACE", "20.0", "1e999%", "40.0", 40},
        {"EX", "0", "1e999%", "0", 0},           {"RACE", "20.0", std::string(500, '9'), "40.0", 40},
        // Cancelled or empty: nothing changes.
        {"RACE", "20.0", std::nullopt, "20.0", 20}, {"RACE", "20.0", "   ", "20.0", 20},
        // clang-format on
    };
    for (const Case& c : cases) {
        const std::string what =
            std::string(c.type) + " " + c.cell + " " + c.entry.value_or("(cancel)").substr(0, 20);
        open(c.type, {{2, 5, c.cell, leadingNumber(c.cell)}});
        select({2, 5, 2, 5});
        dialogs.expectInput("", c.entry);
        trigger("mnuPopUpModify");
        ASSERT_TRUE(dialogs.done());
        EXPECT_EQ(dialogs.last().title, "Modify Selection");
        EXPECT_EQ(dialogs.last().filter, ""); // the box opens empty
        expectOnly({{2, 5, c.text, c.value}}, what);
    }
}
