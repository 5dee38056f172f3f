// SPDX-License-Identifier: GPL-3.0-or-later
#include "textlib/text_routines.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(TextRoutines, DeleteCharsRemovesUpToTheColon) {
    std::string line = "!RearOffset: -3";
    DeleteChars(line, 1, 12);
    EXPECT_EQ(line, " -3");
    std::string none = "no colon";
    DeleteChars(none, 1, 0);
    EXPECT_EQ(none, "no colon");
    std::string middle = "abcdef";
    DeleteChars(middle, 3, 2);
    EXPECT_EQ(middle, "abef");
    std::string beyond = "ab";
    DeleteChars(beyond, 2, 10);
    EXPECT_EQ(beyond, "a");
    DeleteChars(beyond, 5, 1);
    EXPECT_EQ(beyond, "a");
}

TEST(TextRoutines, PadFieldIsAlwaysTheWidth) {
    EXPECT_EQ(PadField("12.5", 8), "12.5    ");
    EXPECT_EQ(PadField("", 8), "        ");
    EXPECT_EQ(PadField("MAP/RPM", 8).size(), 8u);
    EXPECT_EQ(PadField("123456789", 8), "12345678");
}

TEST(TextRoutines, StripCharsKeepsTheSign) {
    EXPECT_EQ(StripChars(1, "+10%", "%+"), "10");
    EXPECT_EQ(StripChars(1, "-5%", "%+"), "-5");
    EXPECT_EQ(StripChars(1, "=12.5", "%+"), "=12.5");
}
