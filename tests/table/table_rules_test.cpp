// SPDX-License-Identifier: GPL-3.0-or-later
// The table's rules without a window: numbers, typed cells, drags and paste.
#include "base/errors.h"
#include "table/bulk_edit.h"
#include "table/cell_edit.h"
#include "table/drag_rules.h"
#include "table/grid_edit.h"
#include "table/numbers.h"
#include "table/window_layout.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace kv;
using namespace kv::drag;

TEST(Numbers, ReadingRoundingAndTexts) {
    for (const char* t : {" 25 ", "-0.5", "+3", "40.", ".5", "2.5E-1", "\t7"})
        EXPECT_TRUE(isNumeric(t)) << t;
    for (const char* t : {"", " ", "1.2.3", "12a", "1e", "--1", ".", "1 2", "nan", "0x10"})
        EXPECT_FALSE(isNumeric(t)) << t;
    // Blanks anywhere are skipped; reading stops at the first character that fits no number.
    EXPECT_EQ(std::tuple(leadingNumber(" 4 8pt"), leadingNumber("\t-3\n"), leadingNumber("1e2x"),
                         leadingNumber("3e"), leadingNumber("abc"), leadingNumber("1,5")),
              std::tuple(48, -3, 100, 3, 0, 1));
    // One decimal, halves to even where the shortest decimal form ends in a 5.
    const std::tuple<double, const char*, const char*> texts[] = {
        {10, "#0.0", "10.0"},    {0.25, "#0.0", "0.2"},  {0.35, "#0.0", "0.4"},
        {-0.35, "#0.0", "-0.4"}, {-0.04, "#0.0", "0.0"}, {-1.25, "#0.0", "-1.2"},
        {39.96, "#0.0", "40.0"}, {7500, "#0", "7500"},   {2.5, "#0", "2"},
        {5, "##00", "05"},       {123, "##00", "123"}};
    for (const auto& [v, pattern, text] : texts)
        EXPECT_EQ(formatNumber(v, pattern), text) << v << " " << pattern;
    EXPECT_EQ(signedText(5700) + signedText(-3), " 5700-3");
    EXPECT_EQ(toInt16(32767.4) + toInt16(-32768.5), -1);
    for (double v : {32767.5, leadingNumber("1e999"), double(NAN)})
        EXPECT_THROW((void)toInt16(v), KvError) << v;
}

TEST(WindowLayout, ChartAboveTheGridInWholeTwipsHalvesToEven) {
    const WindowLayout l = layoutFor(9000.5, 6001);
    EXPECT_EQ(std::tie(l.chart.top, l.chart.width, l.chart.height, l.grid.top, l.grid.width,
                       l.grid.height),
              std::tuple(0, 9000, 4201, 4201, 8850, 1075));
    EXPECT_EQ(std::pair(gridRowHeight(1075), gridColumnWidth(8850)), std::pair(348, 519));
}

TEST(CellEdit, TypedAdvanceIsHeldToTheLimitsOfTheTableType) {
    const std::string n = "Advance must be numeric value",
                      race = n + " between zero and 40 degrees.";
    const std::string ex = "EX version advance must be numeric value between zero and ";
    // clang-format off
    const std::tuple<const char*, int, const char*, std::string> cases[] = {
        {"RACE", 1, "abc", n + "."}, {"RACE", 2, " 40 ", ""}, {"RACE", 1, "40.1", race},
        {"RACE", 1, "-0.5", race},   {"EX", 1, "32.5", ""}, {"EX", 2, "30.5", ex + "30.0 degrees."},
        {"TEX", 1, "-1", ex + "32.5 degrees."}};
    // clang-format on
    ProgramState s;
    s.ExMaxTable(5, kWot) = 30;   // row 2
    s.ExMaxTable(5, kLow) = 32.5; // row 1
    for (const auto& [type, row, text, refusal] : cases) {
        s.TableType = type;
        EXPECT_EQ(refuseEdit(s, row, 5, text).value_or(""), refusal) << type << " " << text;
    }
}

TEST(DragRules, PixelsStepsLimitsAndPicks) {
    // Halves to even, from twips at 15 a pixel too; nonsense positions end at the limit.
    EXPECT_EQ(std::tuple(toPixels(10.5), toPixels(11.5), toPixels(-2.5), toPixels(37.5, 15),
                         toPixels(NAN), toPixels(1e300)),
              std::tuple(10, 12, -2, 2, -(1 << 24), 1 << 24));
    // Two pixels a 0.2-degree step, halves to even; off-grid starts snap on the first
    // move. Then the EX limit of the dragged cell, then 0..40.
    ProgramState s;
    s.ExMaxTable(8, kWot) = 32;
    s.ExMaxTable(8, kLow) = 15;
    // clang-format off
    const std::tuple<const char*, int, double, int, double> drags[] = {
        {"RACE", kWot, 10.0, 297, 10.4}, {"RACE", kWot, 10.0, 295, 10.4},
        {"RACE", kWot, 10.0, 310, 9.0},  {"RACE", kWot, 10.3, 300, 10.4},
        {"RACE", kWot, 10.1, 300, 10.0}, {"RACE", kWot, 10.15, 300, 10.2},
        {"RACE", kWot, 39, 280, 40},     {"RACE", kLow, 0.2, 304, 0},
        {"RACE", kWot, 30, 270, 33},     {"EX", kWot, 30, 270, 32},
        {"TEX", kWot, 31, 292, 31.8},    {"EX", kLow, 10, 200, 15}};
    // clang-format on
    for (const auto& [type, series, start, y, out] : drags) {
        s.TableType = type;
        EXPECT_DOUBLE_EQ(draggedValue(s, series, 8, start, 300, y), out)
            << type << " " << series << " from " << start << " to y " << y;
    }
    // Limits beyond the range, and values no reader produces.
    EXPECT_EQ(std::tuple(clampDragged(44, true, 42), clampDragged(5, true, -3),
                         clampDragged(NAN, false, 0), clampDragged(INFINITY, false, 0)),
              std::tuple(40.0, 0.0, 0.0, 40.0));

    // Series 1 on y = 100, series 2 on y = 200, points 40 px apart; ties to the lower.
    const auto layout = [](int s, int p) { return PixelPos{40.0 * p, 100.0 * s}; };
    const PickResult hit = pickNearest(layout, {161, 190}, true);
    EXPECT_EQ(std::tie(hit.series, hit.point, hit.distance, hit.region),
              std::tuple(2, 4, std::hypot(1.0, 10.0), kRegionPlotArea));
    EXPECT_EQ(pickNearest(layout, {80, 150}, true).series, 1);
    // A pick counts only nearer than 15 px, inside the plotting area, on a real point.
    // clang-format off
    for (const PickResult& p : {PickResult{1, 3, 15.0, kRegionPlotArea},
                                {1, 3, 2.0, kRegionOutsidePlot}, {0, 3, 2.0, kRegionPlotArea},
                                {1, 0, 2.0, kRegionPlotArea}})
        EXPECT_FALSE(pickCounts(p)) << p.series << " " << p.point << " " << p.distance;
    // clang-format on
}

// A clip whose extents reach far past the grid, or that is shorter than its extents say,
// writes only the data cells it covers and leaves every other cell as it was; a block of
// spreadsheet text is split into rows and cells first.
TEST(GridEdit, PasteTrimsAClipToTheGridAndSplitsSpreadsheetBlocks) {
    ProgramState s;
    s.live.values.fill(1);
    CopyChartToGrid(s);
    // Extents that reach far past the grid; then a clip one cell short of its 2 x 2.
    s.CopyBuffer = "5\t6\t7\r8";
    s.CopyRowExtent = 1'000'000'000;
    s.CopyColExtent = 39;
    EXPECT_EQ(pasteCopyBuffer(s, {2, 15, 2, 15}), (CellRange{2, 15, 2, 16}));
    s.CopyBuffer = "9\t8\r7";
    s.CopyRowExtent = s.CopyColExtent = 1;
    EXPECT_EQ(pasteCopyBuffer(s, {1, 1, 1, 1}), (CellRange{1, 1, 2, 2}));
    const auto text = [&](int r, int c) { return s.live.text(r, c) + "|"; };
    EXPECT_EQ(text(1, 1) + text(1, 2) + text(2, 1) + text(2, 2), "9|8|7|1.0|");
    EXPECT_EQ(text(2, 14) + text(2, 15) + text(2, 16), "1.0|5|6|");
    EXPECT_EQ(std::tuple(s.live.value(kWot, 16), s.live.value(kLow, 2), s.live.value(kWot, 2)),
              std::tuple(6.0, 8.0, 1.0));

    // Text from a spreadsheet: rows, cells, which commas are decimal points, and the numbers.
    const TextBlock b = splitTextBlock("1,5;2\r\n\r3;\"4;5\"\"\"\r\n");
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(std::tuple(b.separator, b.decimalComma, b.rows),
              std::tuple(';', true, Rows{{"1,5", "2"}, {""}, {"3", "4;5\""}}));
    EXPECT_EQ(splitTextBlock("7\t8\t").rows, (Rows{{"7", "8", ""}})); // no line end at all
    // A block lands from its first number.
    EXPECT_EQ(pasteTextBlock(s, splitTextBlock("Low\t5\t6"), 1, 1), (CellRange{1, 2, 1, 3}));
    // Commas that separate cells, group thousands or come twice are no decimal commas.
    for (const char* t : {"1,2", "1.000,5\t2", "1,2,3;4"})
        EXPECT_FALSE(splitTextBlock(t).decimalComma) << t;
    EXPECT_EQ(std::tuple(blockCellNumber(b, " 12,5x"),
                         blockCellNumber(splitTextBlock("1,2"), "12,5"), blockCellNumber(b, " \t"),
                         blockCellNumber(b, "n/a")),
              std::tuple(12.5, 12.0, std::nullopt, std::nullopt));
}
