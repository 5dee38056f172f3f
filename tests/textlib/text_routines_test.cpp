// SPDX-License-Identifier: GPL-3.0-or-later
#include "textlib/text_routines.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(TextRoutines, DeletePadAndStrip) {
    // Up to a colon from the 1-based start; nothing for a count of 0 or a start past the end.
    std::string line = "!RearOffset: -3", none = "ab", beyond = "abcdef";
    DeleteChars(line, 1, 12);
    DeleteChars(none, 1, 0);
    DeleteChars(none, 3, 1);
    DeleteChars(beyond, 3, 10);
    EXPECT_EQ(line + "|" + none + "|" + beyond, " -3|ab|ab");
    EXPECT_EQ(PadField("12.5", 8) + PadField("123456789", 8), "12.5    12345678");
    EXPECT_EQ(StripChars(1, "+-10%=", "%+"), "-10=");
}
