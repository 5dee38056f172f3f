// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/window_layout.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(WindowLayout, ChartAboveGridInTwips) {
    const WindowLayout l = layoutFor(12000, 9000);
    EXPECT_EQ(l.chart.top, 0);
    EXPECT_EQ(l.chart.width, 12000);
    EXPECT_EQ(l.chart.height, 6300);
    EXPECT_EQ(l.grid.top, 6300);
    EXPECT_EQ(l.grid.width, 11850);
    EXPECT_EQ(l.grid.height, 1975); // 0.3 * 9000 - 725
}

TEST(WindowLayout, ASmallWindowGivesTheGridNoHeight) {
    EXPECT_EQ(layoutFor(1000, 1000).grid.height, 0); // -425 raised to 0
    EXPECT_EQ(layoutFor(100, 3000).grid.width, 0);
    EXPECT_EQ(layoutFor(4000, 2417).grid.height, 0); // 0.3 x 2417 - 725 = -0.1
}

TEST(WindowLayout, RowsAndColumnsFillTheGrid) {
    EXPECT_EQ(gridRowHeight(1975), 648);
    EXPECT_EQ(gridColumnWidth(11850), 696);
    EXPECT_EQ(twipsPerPixel(96), 15.0);
}
