// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/eeprom_image.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

EEPROMImage encodeAll(double advance, const ModuleParameters& p, std::uint8_t b36 = 20,
                      std::uint8_t b37 = 0) {
    Table16x2 t;
    t.fill(advance);
    return encodeImage(t, p, b36, b37);
}

struct Decoded {
    Table16x2 table;
    ModuleParameters params;
};

Decoded decodeWith(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    EEPROMImage image{};
    image.fill(57);
    for (const auto& [i, b] : bytes)
        image[static_cast<std::size_t>(i)] = b;
    Decoded d;
    decodeImage(image, d.table, d.params);
    return d;
}

TEST(EepromImage, AdvanceValuesRoundTripThroughTheScale) {
    const ModuleParameters p;
    EXPECT_EQ(encodeAll(10.0, p)[0], 57);
    EXPECT_EQ(encodeAll(0.1, p)[0], 1);
    EXPECT_EQ(encodeAll(40.0, p)[0], 228);
    EXPECT_EQ(encodeAll(-3.0, p)[0], 0);
    EXPECT_EQ(encodeAll(50.0, p)[0], 255);

    EXPECT_DOUBLE_EQ(decodeWith({{0, 57}}).table(1, 1), 10.0);
    EXPECT_DOUBLE_EQ(decodeWith({{0, 1}}).table(1, 1), 0.2);
    EXPECT_DOUBLE_EQ(decodeWith({{0, 228}}).table(1, 1), 40.1);
    // Not limited to 40 here: the download holds values to the table type later.
    EXPECT_DOUBLE_EQ(decodeWith({{0, 255}}).table(1, 1), 44.8);
}

TEST(EepromImage, BytesMapToPointsAndCurves) {
    Table16x2 t;
    for (int p = 1; p <= 16; ++p) {
        t(p, kWot) = p;      // WOT first, bytes 0..15
        t(p, kLow) = 20 + p; // then Low, bytes 16..31
    }
    const EEPROMImage image = encodeImage(t, {}, 0, 0);
    EXPECT_EQ(image[0], 6);    // 1 / 0.17578 = 5.69
    EXPECT_EQ(image[15], 91);  // 16 / 0.17578 = 91.02
    EXPECT_EQ(image[16], 119); // 21 / 0.17578 = 119.47
    EXPECT_EQ(image[31], 205); // 36 / 0.17578 = 204.8

    Table16x2 back;
    ModuleParameters p;
    decodeImage(image, back, p);
    EXPECT_DOUBLE_EQ(back(1, kWot), 1.1);
    EXPECT_DOUBLE_EQ(back(16, kLow), 36.0);
}

TEST(EepromImage, ParametersAreScaledRoundedAndLimited) {
    using Field = std::int16_t ModuleParameters::*;
    constexpr Field kOffset = &ModuleParameters::RearOffset, kRetard = &ModuleParameters::RetardVal,
                    kCrank = &ModuleParameters::CrankRevs, kRpm = &ModuleParameters::RPMLimit;
    const struct {
        Field field;
        int value, index, byte;
    } encoded[] = {
        {kOffset, -5, 33, 0},  {kOffset, 5, 33, 56}, // 56.89 rounds to 57, limited
        {kRetard, 10, 34, 56}, {kCrank, 0, 35, 1},    {kCrank, 9, 35, 3},
        {kRpm, 5750, 38, 58},  {kRpm, 5650, 38, 56}, // halves to even
        {kRpm, 2000, 38, 30},  {kRpm, 12000, 38, 99},
    };
    for (const auto& e : encoded) {
        ModuleParameters p;
        p.*e.field = static_cast<std::int16_t>(e.value);
        EXPECT_EQ(encodeAll(0, p)[static_cast<std::size_t>(e.index)], e.byte) << e.value;
    }
    const struct {
        int index, byte;
        Field field;
        int value;
    } decoded[] = {
        {33, 56, kOffset, 5},   {33, 0, kOffset, -5}, {33, 100, kOffset, 5}, // 13, limited
        {34, 200, kRetard, 10}, {34, 28, kRetard, 5},                        // 4.92
        {35, 7, kCrank, 3},     {35, 0, kCrank, 1},   {35, 2, kCrank, 2},
        {38, 58, kRpm, 5800},   {38, 0, kRpm, 3000},  {38, 255, kRpm, 9900},
    };
    for (const auto& d : decoded)
        EXPECT_EQ(decodeWith({{d.index, static_cast<std::uint8_t>(d.byte)}}).params.*d.field,
                  d.value)
            << "byte " << d.index << " = " << d.byte;
}

TEST(EepromImage, FlagByteKeepsTheModulesBits) {
    ModuleParameters none;
    none.SelEEPROMTblFlag = false;
    EXPECT_EQ(flagByte(0x06, none), 0x06);
    EXPECT_EQ(flagByte(0xFF, none), 0xC6);

    ModuleParameters some = none;
    some.FixedLimFlag = true;
    some.KickStartFlag = true;
    EXPECT_EQ(flagByte(0x06, some), 0x17);

    ModuleParameters kick = none;
    kick.KickStartFlag = true;
    EXPECT_EQ(flagByte(0x06, kick), 0x16);

    ModuleParameters rest = none;
    rest.SelEEPROMTblFlag = true;
    rest.RetardEnableFlag = true;
    EXPECT_EQ(flagByte(0x00, rest), 0x28);

    const auto d = decodeWith({{37, 0x39}});
    EXPECT_TRUE(d.params.FixedLimFlag);
    EXPECT_TRUE(d.params.SelEEPROMTblFlag);
    EXPECT_TRUE(d.params.KickStartFlag);
    EXPECT_TRUE(d.params.RetardEnableFlag);
    const auto e = decodeWith({{37, 0xC6}});
    EXPECT_FALSE(e.params.FixedLimFlag || e.params.SelEEPROMTblFlag || e.params.KickStartFlag ||
                 e.params.RetardEnableFlag);
}

TEST(EepromImage, CarriedAndFixedBytes) {
    EXPECT_EQ(carriedModuleByte(60), 28);
    EXPECT_EQ(carriedModuleByte(200), 28);
    EXPECT_EQ(carriedModuleByte(56), 56);
    EXPECT_EQ(carriedModuleByte(20), 20);

    const ModuleParameters p;
    const EEPROMImage image = encodeAll(12.5, p, 200, 0x06);
    EXPECT_EQ(image[32], 28);
    EXPECT_EQ(image[36], 28);
    EXPECT_EQ(image[37], 0x0E); // SelEEPROMTblFlag is set by default
}

TEST(EepromImage, ValueThatIsNoNumberEncodesAsZero) {
    const EEPROMImage image = encodeAll(std::nan(""), {});
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[31], 0);
}

} // namespace
} // namespace kv
