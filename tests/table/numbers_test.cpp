// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"
#include "table/numbers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace kv;

TEST(Numbers, NumericTestTakesOneWholeNumber) {
    for (const char* t : {"25", " 25 ", "-0.5", "+3", "40.", ".5", "1e3", "2.5E-1", "\t7"})
        EXPECT_TRUE(isNumeric(t)) << t;
    for (const char* t :
         {"", " ", "abc", "1.2.3", "12a", "1e", "--1", ".", "1 2", "nan", "inf", "0x10", "e5"})
        EXPECT_FALSE(isNumeric(t)) << t;
}

TEST(Numbers, LeadingNumberReading) {
    // Blanks anywhere are skipped; reading stops at the first character that fits no number.
    const std::pair<const char*, double> cases[] = {
        {"  48pt", 48}, {" 4 8", 48}, {"\t-3\n", -3}, {"12.5abc", 12.5}, {"1e2x", 100},
        {"3e", 3},      {"abc", 0},   {"", 0},        {"1,5", 1},        {"nan", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(leadingNumber(text), value) << text;
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
}

TEST(Numbers, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> whole[] = {{2.5, 2},   {3.5, 4},   {-2.5, -2},
                                               {50.5, 50}, {51.5, 52}, {2.5000001, 3}};
    for (const auto& [v, r] : whole)
        EXPECT_EQ(roundHalfEven(v), r) << v;
    // 0.35 prints as a decimal half and counts as one.
    const std::pair<double, double> tenths[] = {{0.25, 0.2},     {0.35, 0.4},   {10.019, 10.0},
                                                {44.8239, 44.8}, {-0.35, -0.4}, {9.96, 10.0}};
    for (const auto& [v, r] : tenths)
        EXPECT_EQ(roundDecimals(v, 1), r) << v;
}

TEST(Numbers, NumberTexts) {
    const std::pair<double, const char*> oneDecimal[] = {
        {10, "10.0"},   {0.25, "0.2"},   {0.35, "0.4"},   {11.111111111, "11.1"}, {0.04, "0.0"},
        {-0.04, "0.0"}, {-1.25, "-1.2"}, {39.96, "40.0"}, {1234.5, "1234.5"}};
    for (const auto& [v, text] : oneDecimal)
        EXPECT_EQ(format1(v), text) << v;
    const std::tuple<double, const char*, const char*> patterns[] = {{7500, "#0", "7500"},
                                                                     {0, "#0", "0"},
                                                                     {2.5, "#0", "2"},
                                                                     {5, "##00", "05"},
                                                                     {123, "##00", "123"}};
    for (const auto& [v, pattern, text] : patterns)
        EXPECT_EQ(formatNumber(v, pattern), text) << v << " " << pattern;
    const std::pair<int, const char*> signedTexts[] = {
        {3, " 3"}, {0, " 0"}, {-3, "-3"}, {5700, " 5700"}};
    for (const auto& [v, text] : signedTexts)
        EXPECT_EQ(signedText(v), text) << v;
}

TEST(Numbers, SixteenBitConversion) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_THROW((void)toInt16(32767.5), KvError); // rounds to 32768
    EXPECT_THROW((void)toInt16(leadingNumber("1e999")), KvError);
    EXPECT_THROW((void)toInt16(NAN), KvError);
}
