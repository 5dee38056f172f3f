// SPDX-License-Identifier: GPL-3.0-or-later
#include "textlib/text_routines.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace kv;

TEST(TextRoutines, DeletePadAndStrip) {
    // Text, 1-based start, count, what is left: up to a colon, none, past the end.
    const std::tuple<std::string, int, int, std::string> deletes[] = {
        {"!RearOffset: -3", 1, 12, " -3"},
        {"abcdef", 3, 2, "abef"},
        {"no colon", 1, 0, "no colon"},
        {"ab", 2, 10, "a"},
        {"ab", 5, 1, "ab"}};
    for (auto [text, start, count, left] : deletes) {
        DeleteChars(text, start, count);
        EXPECT_EQ(text, left) << start << " " << count;
    }
    EXPECT_EQ(PadField("12.5", 8), "12.5    ");
    EXPECT_EQ(PadField("123456789", 8), "12345678");
    EXPECT_EQ(StripChars(1, "+-10%=", "%+"), "-10=");
}
