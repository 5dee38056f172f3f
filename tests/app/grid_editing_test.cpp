// SPDX-License-Identifier: GPL-3.0-or-later
// The grid's pop-up menu, Copy, Paste and Modify, through the real window, grid and menu.
#include "table/grid_edit.h"
#include "table/numbers.h"
#include "table/ui/edit_history.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QStatusBar>
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
    EXPECT_EQ(std::tuple(s().CopyBuffer, s().CopyRowExtent, s().CopyColExtent),
              std::tuple("6.0\t7.0\r11.0\t12.0", 1, 1));
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
        EXPECT_EQ(dialogs.last().title + dialogs.last().filter, "Modify Selection"); // empty box
        expectOnly({{2, 5, c.text, c.value}}, what);
    }
}

// Each is one Undo step within the limits; what stops one is said in the status line only.
TEST_F(GridEditing, InterpolateSmoothAndSpreadsheetPasteAreOneStepWithinTheLimits) {
    struct Case {
        const char* type;
        const char* item; // mnuInterpolate, mnuSmooth; a paste is Ctrl+Shift+V
        CellRange select; // a paste lands from its first corner, the current cell
        std::vector<Cell> typed, after;
        const char* clipboard;   // for a paste
        const char* status = ""; // a part of what the status line says
    };
    const char *interpolate = "mnuInterpolate", *smooth = "mnuSmooth", *paste = nullptr;
    const Case cases[] = {
        // clang-format off
        // Rising, falling and flat; one selection over the headings, both rows.
        {"RACE", interpolate, {2, 3, 2, 7}, {{2, 7, "30", 30}},
         {{2, 4, "17.2", 17.25}, {2, 5, "21.5", 21.5}, {2, 6, "25.8", 25.75}}, ""},
        {"RACE", interpolate, {1, 10, 1, 14}, {{1, 10, "20", 20}},
         {{1, 11, "19.8", 19.75}, {1, 12, "19.5", 19.5}, {1, 13, "19.2", 19.25}}, ""},
        {"RACE", interpolate, {1, 2, 1, 5}, {{1, 2, "8", 8}, {1, 5, "8", 8}}, {{1, 4, "8.0", 8}}, ""},
        {"RACE", interpolate, {0, 0, 2, 4}, {{2, 4, "20", 20}}, {{2, 2, "14.0", 14}, {2, 3, "17.0", 17}}, ""},
        // The limits: RACE 40, EX the cell's limit (32 here).
        {"RACE", interpolate, {2, 3, 2, 5}, {{2, 3, "43", 43}, {2, 5, "44", 44}}, {{2, 4, "40.0", 40}}, ""},
        {"EX", interpolate, {2, 4, 2, 8}, {{2, 8, "40", 40}},
         {{2, 5, "20.5", 20.5}, {2, 6, "27.0", 27}, {2, 7, "32.0", 32}}, ""},
        {"RACE", interpolate, {1, 3, 2, 4}, {}, {}, "", "Interpolate needs at least three columns"},
        {"RACE", interpolate, {0, 1, 0, 16}, {}, {}, "", "not headings only."},
        // A spike spread over its neighbours; the ends stay.
        {"RACE", smooth, {1, 6, 1, 10}, {{1, 8, "30", 30}},
         {{1, 7, "16.2", 16.25}, {1, 8, "21.5", 21.5}, {1, 9, "18.2", 18.25}}, ""},
        {"TEX", smooth, {2, 9, 2, 11}, {{2, 10, "40", 40}, {2, 11, "40", 40}}, {{2, 10, "32.0", 32}}, ""},
        {"RACE", smooth, {2, 1, 2, 2}, {}, {}, "", "Smooth needs at least three columns"},
        // Spreadsheet blocks: decimal commas, trimmed at the grid's edge, blank cells kept.
        {"RACE", paste, {2, 3, 2, 3}, {}, {{2, 3, "10.0", 10}, {2, 4, "12.5", 12.5}, {2, 5, "15.0", 15}},
         "10\t12,5\t15\n"},
        {"RACE", paste, {1, 15, 1, 15}, {},
         {{1, 15, "1.5", 1.5}, {1, 16, "2.2", 2.25}, {2, 15, "4.0", 4}, {2, 16, "5.5", 5.5}},
         "1,5;2,25;3\r\n4;5,5;6\r\n"},
        {"RACE", paste, {2, 14, 2, 14}, {}, {{2, 14, "0.0", 0}, {2, 16, "40.0", 40}}, "-3\t\t41"},
        {"TEX", paste, {1, 1, 1, 1}, {}, {{1, 1, "32.0", 32}, {1, 2, "1.0", 1}}, "40,1"},
        {"RACE", paste, {1, 1, 1, 1}, {}, {}, "Low\tn/a\n", "the clipboard holds no number."},
        // clang-format on
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string what = "case " + std::to_string(++n);
        open(c.type, c.typed);
        select(c.select);
        w->history().stack().clear();
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
        if (c.item)
            trigger(c.item);
        else
            QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        const std::string status = w->statusBar()->currentMessage().toStdString();
        EXPECT_TRUE(*c.status ? status.find(c.status) != std::string::npos : status.empty())
            << what << ": " << status;
        expectOnly(c.after, what);
        EXPECT_EQ(w->history().stack().count(), c.after.empty() ? 0 : 1) << what;
        trigger("mnuUndo");
        kv::test::expectTable(*w, before, what + " undone");
    }
    // The written Paste still reads only the program's own buffer, empty here.
    EXPECT_FALSE(w->action("mnuPopUpPaste")->isEnabled());
}
