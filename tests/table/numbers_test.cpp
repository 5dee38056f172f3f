// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/errors.h"
#include "table/numbers.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kv;

TEST(Numbers, NumericTestTakesOneWholeNumber) {
    for (const char* t : {"25", " 25 ", "-0.5", "+3", "40.", ".5", "1e3", "2.5E-1", "\t7"})
        EXPECT_TRUE(isNumeric(t)) << t;
    for (const char* t :
         {"", " ", "abc", "1.2.3", "12a", "1e", "--1", ".", "1 2", "nan", "inf", "0x10", "e5"})
        EXPECT_FALSE(isNumeric(t)) << t;
}

TEST(Numbers, LeadingNumberReading) {
    EXPECT_EQ(leadingNumber("  48pt"), 48.0);
    EXPECT_EQ(leadingNumber(" 4 8"), 48.0); // blanks anywhere are skipped
    EXPECT_EQ(leadingNumber("\t-3\n"), -3.0);
    EXPECT_EQ(leadingNumber("12.5abc"), 12.5);
    EXPECT_EQ(leadingNumber("1e2x"), 100.0);
    EXPECT_EQ(leadingNumber("3e"), 3.0);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_EQ(leadingNumber(""), 0.0);
    EXPECT_EQ(leadingNumber("1,5"), 1.0);
    EXPECT_TRUE(std::isinf(leadingNumber("1e999")));
    EXPECT_EQ(leadingNumber("nan"), 0.0);
}

TEST(Numbers, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(2.5), 2.0);
    EXPECT_EQ(roundHalfEven(3.5), 4.0);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
    EXPECT_EQ(roundHalfEven(50.5), 50.0);
    EXPECT_EQ(roundHalfEven(51.5), 52.0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3.0);
    EXPECT_EQ(roundDecimals(0.25, 1), 0.2);
    EXPECT_EQ(roundDecimals(0.35, 1), 0.4); // prints as a decimal half
    EXPECT_EQ(roundDecimals(10.019, 1), 10.0);
    EXPECT_EQ(roundDecimals(44.8239, 1), 44.8);
    EXPECT_EQ(roundDecimals(-0.35, 1), -0.4);
    EXPECT_EQ(roundDecimals(9.96, 1), 10.0);
}

TEST(Numbers, NumberTexts) {
    EXPECT_EQ(format1(10), "10.0");
    EXPECT_EQ(format1(0.25), "0.2");
    EXPECT_EQ(format1(0.35), "0.4");
    EXPECT_EQ(format1(11.111111111), "11.1");
    EXPECT_EQ(format1(0.04), "0.0");
    EXPECT_EQ(format1(-1.25), "-1.2");
    EXPECT_EQ(format1(39.96), "40.0");
    EXPECT_EQ(format1(1234.5), "1234.5");
    EXPECT_EQ(formatNumber(7500, "#0"), "7500");
    EXPECT_EQ(formatNumber(0, "#0"), "0");
    EXPECT_EQ(formatNumber(2.5, "#0"), "2");
    EXPECT_EQ(formatNumber(5, "##00"), "05");
    EXPECT_EQ(formatNumber(123, "##00"), "123");
    EXPECT_EQ(signedText(3), " 3");
    EXPECT_EQ(signedText(0), " 0");
    EXPECT_EQ(signedText(-3), "-3");
    EXPECT_EQ(signedText(5700), " 5700");
}

TEST(Numbers, SixteenBitConversion) {
    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768), -32768);
    EXPECT_THROW((void)toInt16(32767.5), KvError); // rounds to 32768
    EXPECT_THROW((void)toInt16(leadingNumber("1e999")), KvError);
    EXPECT_THROW((void)toInt16(NAN), KvError);
}
