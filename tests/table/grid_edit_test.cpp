// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/grid_edit.h"

#include <gtest/gtest.h>
#include <string>

using namespace kv;

// A clip larger than the grid, or shorter than its extents say, writes only the data
// cells it covers and leaves every other cell as it was.
TEST(GridEdit, PasteTrimsAClipToTheGridAndToWhatItHolds) {
    ProgramState s;
    s.live.values.fill(1);
    CopyChartToGrid(s);
    std::string row;
    for (int c = 0; c < 40; ++c)
        row += (c ? "\t" : "") + std::to_string(c + 2);
    s.CopyBuffer = row + "\r" + row + "\r" + row + "\r" + row;
    s.CopyRowExtent = 1'000'000'000;
    s.CopyColExtent = 39;
    EXPECT_EQ(pasteCopyBuffer(s, {2, 3, 2, 3}), (CellRange{2, 3, 2, 16}));
    for (int c = 1; c <= 16; ++c) {
        EXPECT_EQ(s.live.text(1, c), "1.0");
        EXPECT_EQ(s.live.text(2, c), c < 3 ? "1.0" : std::to_string(c - 1)) << c;
        EXPECT_EQ(s.live.value(kWot, c), c < 3 ? 1 : c - 1) << c;
    }
    EXPECT_EQ(s.live.text(0, 16), "7500");

    s.CopyBuffer = "9\t8\r7"; // one cell short of its 2 x 2 extents
    s.CopyRowExtent = 1;
    s.CopyColExtent = 1;
    pasteCopyBuffer(s, {1, 1, 1, 1});
    EXPECT_EQ(s.live.text(1, 1), "9");
    EXPECT_EQ(s.live.text(1, 2), "8");
    EXPECT_EQ(s.live.text(2, 1), "7");
    EXPECT_EQ(s.live.text(2, 2), "1.0");
    EXPECT_EQ(s.live.value(kWot, 2), 1);
}
