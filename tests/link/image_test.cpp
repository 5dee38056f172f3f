// SPDX-License-Identifier: GPL-3.0-or-later
// The 39-byte module image, and the port names and numbers.
#include "base/errors.h"
#include "link/eeprom_image.h"
#include "link/port_map.h"
#include "link/usb_latency.h"
#include "support/test_files.h"

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

ModuleParameters decodeWith(int index, std::uint8_t byte) {
    EEPROMImage image{};
    image.fill(57);
    image[static_cast<std::size_t>(index)] = byte;
    Table16x2 t;
    ModuleParameters p;
    decodeImage(image, t, p);
    return p;
}

TEST(EepromImage, AdvanceBytesGoWotFirstThenLowOnTheScale) {
    Table16x2 t;
    for (int p = 1; p <= 16; ++p) {
        t(p, kWot) = p;      // bytes 0..15
        t(p, kLow) = 20 + p; // bytes 16..31
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
    // What a byte cannot hold is refused, never limited: below 0, above 44.8, no number.
    EXPECT_EQ(encodeAll(44.8, {})[15], 255);
    for (const auto& [v, shown] :
         {std::pair{44.84, "44.84"}, {-0.05, "-0.05"}, {1e300, "1e+300"}, {NAN, "NaN"}}) {
        back(4, kLow) = v;
        back(5, kLow) = -1; // only the first is named
        EXPECT_EQ(refuseUpload(back), "Cannot upload - the Low value at 1500 RPM (" +
                                          std::string(shown) + ") is outside 0 to 44.8 degrees.");
        EXPECT_THROW((void)encodeImage(back, {}, 0, 0), KvError);
    }
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
        {kRetard, 10, 34, 56}, {kCrank, 9, 35, 3},
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
        {33, 56, kOffset, 5},   {33, 0, kOffset, -5},  {33, 100, kOffset, 5}, // 13, limited
        {34, 200, kRetard, 10}, {34, 28, kRetard, 5},                         // 4.92
        {35, 7, kCrank, 3},     {35, 0, kCrank, 1},    {38, 58, kRpm, 5800},
        {38, 0, kRpm, 3000},    {38, 255, kRpm, 9900},
    };
    for (const auto& d : decoded)
        EXPECT_EQ(decodeWith(d.index, static_cast<std::uint8_t>(d.byte)).*d.field, d.value)
            << "byte " << d.index << " = " << d.byte;
}

TEST(EepromImage, FlagByteKeepsTheModulesBitsAndItsOwnByteIsCarried) {
    const struct {
        bool fixed, sel, kick, retard;
        std::uint8_t module, byte;
    } cases[] = {{false, false, false, false, 0xFF, 0xC6},
                 {true, false, true, false, 0x06, 0x17},
                 {false, false, true, false, 0x06, 0x16},
                 {false, true, false, true, 0x00, 0x28}};
    for (const auto& c : cases) {
        ModuleParameters p;
        p.FixedLimFlag = c.fixed;
        p.SelEEPROMTblFlag = c.sel;
        p.KickStartFlag = c.kick;
        p.RetardEnableFlag = c.retard;
        EXPECT_EQ(flagByte(c.module, p), c.byte) << int(c.byte);
    }
    // Each parameter and flag comes back from its own place.
    for (const ModuleParameters& p : {test::kParams, test::kOtherParams}) {
        Table16x2 t;
        ModuleParameters back;
        decodeImage(encodeImage(t, p, 20, 0xC6), t, back);
        EXPECT_EQ(back, p) << p.RPMLimit;
    }

    // Byte 36 is the module's own; one past the angle range is replaced.
    const EEPROMImage image = encodeAll(12.5, {}, 200, 0x06);
    EXPECT_EQ(image[32], 28);
    EXPECT_EQ(image[36], 28);
    EXPECT_EQ(image[37], 0x0E); // SelEEPROMTblFlag is set by default
    EXPECT_EQ(encodeAll(0, {}, 56)[36], 56);
}

TEST(PortMap, NamesNumbersAndStoredValues) {
    EXPECT_EQ(portName(255), "Com255");
    EXPECT_EQ(portNumberOf("COM255"), 255);
    for (const char* bad : {"com0", "Com256", "Com", "/dev/ttyUSB0"})
        EXPECT_EQ(portNumberOf(bad), std::nullopt) << bad;
    // Windows opens ports above 9 only by their \\.\ name.
    const auto win = PortSystem::Windows;
    EXPECT_EQ(systemDevice(win, 9) + systemDevice(win, 10) + systemDevice(win, 255),
              "COM9\\\\.\\COM10\\\\.\\COM255");
    EXPECT_EQ(systemDevice(PortSystem::Linux, 1) + systemDevice(PortSystem::OtherPosix, 2),
              "/dev/ttyS0/dev/cu.serial2");
#if defined(_WIN32)
    EXPECT_EQ(defaultDevice(12), "\\\\.\\COM12");
#elif defined(__linux__)
    EXPECT_EQ(defaultDevice(255), "/dev/ttyS254");
#endif
    EXPECT_EQ(parseStoredPort(" 12 "), 12);
    for (const char* bad : {"", "3.5", "3x", "0", "256", "-1", "99999999999999999999"})
        EXPECT_THROW((void)parseStoredPort(bad), KvError) << bad;
    // A USB adapter whose latency timer is above 1 ms gets a note in the port frame.
    test::TempDir sys;
    const auto timer = sys.path() / "bus/usb-serial/devices/ttyUSB0/latency_timer";
    std::filesystem::create_directories(timer.parent_path());
    test::writeAll(timer, "16\n");
    EXPECT_EQ(latencyNote("/dev/ttyUSB0", sys.path().string()),
              "USB latency timer 16 ms: transfers will be slow. Set it to 1 ms (see "
              "docs/module-link.md).");
    try {
        (void)parseStoredPort("abc");
        ADD_FAILURE() << "abc taken for a port";
    } catch (const KvError& e) {
        EXPECT_EQ(e.description(), "The stored serial port \"abc\" is not a whole number.");
    }
}

// The adapter's latency timer as sysfs gives it, under a folder standing for /sys. Only
// Linux has one; elsewhere nothing is said whatever the folder holds.
TEST(UsbLatency, ReadFromTheSystemOnLinuxOnly) {
    test::TempDir sys;
    for (const auto& [tty, text] :
         {std::pair{"ttyUSB0", "16"}, {"ttyUSB1", "1"}, {"ttyUSB2", "x"}}) {
        std::filesystem::create_directories(sys.path() / "bus/usb-serial/devices" / tty);
        test::writeAll((sys.path() / "bus/usb-serial/devices" / tty / "latency_timer").string(),
                       text);
    }
    const std::string root = sys.path().string();
#if defined(__linux__)
    EXPECT_EQ(latencyNote("/dev/ttyUSB0", root).substr(0, 24), "USB latency timer 16 ms:");
#else
    EXPECT_EQ(usbLatencyTimerMs("/dev/ttyUSB0", root), std::nullopt);
#endif
    for (const char* quiet : {"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyS0"})
        EXPECT_EQ(latencyNote(quiet, root), "") << quiet;
}

} // namespace
} // namespace kv
