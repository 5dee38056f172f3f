// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/cell_edit.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(CellEdit, RaceCellsTakeZeroToForty) {
    ProgramState s;
    EXPECT_EQ(refuseEdit(s, 1, 1, "abc"), "Advance must be numeric value.");
    EXPECT_EQ(refuseEdit(s, 1, 1, ""), "Advance must be numeric value.");
    EXPECT_FALSE(refuseEdit(s, 1, 1, "40"));
    EXPECT_FALSE(refuseEdit(s, 2, 16, " 0 "));
    EXPECT_EQ(refuseEdit(s, 1, 1, "40.1"),
              "Advance must be numeric value between zero and 40 degrees.");
    EXPECT_EQ(refuseEdit(s, 1, 1, "-0.5"),
              "Advance must be numeric value between zero and 40 degrees.");
}

TEST(CellEdit, ExCellsStopAtTheirLimit) {
    ProgramState s;
    s.TableType = "EX";
    s.ExMaxTable(5, kWot) = 30;   // row 2
    s.ExMaxTable(5, kLow) = 32.5; // row 1
    EXPECT_FALSE(refuseEdit(s, 2, 5, "30"));
    EXPECT_EQ(refuseEdit(s, 2, 5, "30.5"),
              "EX version advance must be numeric value between zero and 30.0 degrees.");
    EXPECT_EQ(refuseEdit(s, 1, 5, "33"),
              "EX version advance must be numeric value between zero and 32.5 degrees.");
    EXPECT_FALSE(refuseEdit(s, 1, 5, "32.5"));
}
