// SPDX-License-Identifier: GPL-3.0-or-later
// The 39-byte module image, the port names and numbers, and the transfer history.
#include "base/errors.h"
#include "files/read_table.h"
#include "files/table_file.h"
#include "link/eeprom_image.h"
#include "link/port_map.h"
#include "link/transfer_history.h"
#include "link/usb_latency.h"
#include "support/test_files.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace kv {
namespace {

EEPROMImage encodeAll(double advance, const ModuleParameters& p, std::uint8_t b36 = 20,
                      std::uint8_t b37 = 0) {
    Table16x2 t;
    t.fill(advance);
    return encodeImage(t, p, b36, b37);
}

TEST(EepromImage, AdvanceBytesGoWotFirstThenLowOnTheScale) {
    Table16x2 t;
    for (int p = 1; p <= 16; ++p) {
        t(p, kWot) = p;      // bytes 0..15
        t(p, kLow) = 20 + p; // bytes 16..31
    }
    const EEPROMImage image = encodeImage(t, {}, 0, 0);
    // 1, 16, 21 and 36 over 0.17578: 5.69, 91.02, 119.47, 204.8.
    EXPECT_EQ((std::vector<int>{image[0], image[15], image[16], image[31]}),
              (std::vector<int>{6, 91, 119, 205}));
    // Read back at a byte's precision, and each parameter and flag from its own place.
    for (const ModuleParameters& p : {test::kParams, test::kOtherParams}) {
        Table16x2 back;
        ModuleParameters params;
        decodeImage(encodeImage(t, p, 20, 0xC6), back, params);
        EXPECT_EQ(std::tuple(back(1, kWot), back(16, kLow), params), std::tuple(1.1, 36.0, p));
    }
    // What a byte cannot hold is refused, never limited: below 0, above 44.8, no number.
    EXPECT_EQ(encodeAll(44.8, {})[15], 255);
    for (const auto& [v, shown] :
         {std::pair{44.84, "44.84"}, {-0.05, "-0.05"}, {1e300, "1e+300"}, {NAN, "NaN"}}) {
        t(4, kLow) = v;
        t(5, kLow) = -1; // only the first is named
        EXPECT_EQ(refuseUpload(t), "Cannot upload - the Low value at 1500 RPM (" +
                                       std::string(shown) + ") is outside 0 to 44.8 degrees.");
        EXPECT_THROW((void)encodeImage(t, {}, 0, 0), KvError);
    }
}

// The parameters are scaled, rounded and limited; the flag byte keeps the module's bits and
// its own byte is carried.
TEST(EepromImage, ParametersAndFlagsInTheirBytes) {
    using Field = std::int16_t ModuleParameters::*;
    constexpr Field kOffset = &ModuleParameters::RearOffset, kRetard = &ModuleParameters::RetardVal,
                    kCrank = &ModuleParameters::CrankRevs, kRpm = &ModuleParameters::RPMLimit;
    // The parameter and its value; the byte's place and what it holds.
    const std::tuple<Field, int, int, int> encoded[] = {
        {kOffset, -5, 33, 0},  {kOffset, 5, 33, 56}, // 56.89 rounds to 57, limited
        {kRetard, 10, 34, 56}, {kCrank, 9, 35, 3},
        {kRpm, 5750, 38, 58},  {kRpm, 5650, 38, 56}, // halves to even
        {kRpm, 2000, 38, 30},  {kRpm, 12000, 38, 99},
    };
    for (const auto& [field, value, index, byte] : encoded) {
        ModuleParameters p;
        p.*field = static_cast<std::int16_t>(value);
        EXPECT_EQ(encodeAll(0, p)[static_cast<std::size_t>(index)], byte) << value;
    }
    // The byte's place and what it holds; the parameter and the value read.
    const std::tuple<int, int, Field, int> decoded[] = {
        {33, 56, kOffset, 5},   {33, 0, kOffset, -5},  {33, 100, kOffset, 5}, // 13, limited
        {34, 200, kRetard, 10}, {34, 28, kRetard, 5},                         // 4.92
        {35, 7, kCrank, 3},     {35, 0, kCrank, 1},    {38, 58, kRpm, 5800},
        {38, 0, kRpm, 3000},    {38, 255, kRpm, 9900},
    };
    for (const auto& [index, byte, field, value] : decoded) {
        EEPROMImage image{};
        image.fill(57);
        image[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(byte);
        Table16x2 t;
        ModuleParameters p;
        decodeImage(image, t, p);
        EXPECT_EQ(p.*field, value) << "byte " << index << " = " << byte;
    }

    // The flags FixedLim, SelEEPROMTbl, RetardEnable, KickStart; the module's byte; the result.
    const std::tuple<std::array<bool, 4>, std::uint8_t, std::uint8_t> cases[] = {
        {{false, false, false, false}, 0xFF, 0xC6},
        {{true, false, false, true}, 0x06, 0x17},
        {{false, false, false, true}, 0x06, 0x16},
        {{false, true, true, false}, 0x00, 0x28}};
    for (const auto& [f, module, byte] : cases)
        EXPECT_EQ(flagByte(module, {0, 0, 2, 3000, f[0], f[1], f[2], f[3]}), byte) << int(byte);

    // Byte 36 is the module's own; one past the angle range is replaced.
    const EEPROMImage image = encodeAll(12.5, {}, 200, 0x06);
    // SelEEPROMTblFlag is set by default: 0x0E.
    EXPECT_EQ((std::vector<int>{image[32], image[36], image[37]}),
              (std::vector<int>{28, 28, 0x0E}));
    EXPECT_EQ(encodeAll(0, {}, 56)[36], 56);
}

// Beyond the newest 500 the oldest entries go, except the first download of each module;
// the history line, whatever the module calls itself, is skipped by every table reader.
TEST(TransferHistory, PruningKeepsTheFirstDownloadOfEachModule) {
    test::TempDir dir;
    const Table16x2 t = test::curves(5, 8, 0.5);
    const std::string odd = "V1005T EX !Version: TEX\r%21!";
    EEPROMImage image{};
    image.fill(0xA5);
    std::vector<std::string> names;
    test::writeAll(dir.file("mine.tbl"), "not an entry");
    // A minute apart from 1 pm; the newest kept as a transfer is, which prunes the rest.
    for (int i = 0; i < 503; ++i) {
        const auto direction = i % 3 == 2 ? TransferDirection::Upload : TransferDirection::Download;
        const std::string id = i == 1 ? odd : i == 401 ? "V1005T EX" : "VANTA 8.1 EX";
        char time[32], name[64];
        std::snprintf(time, sizeof time, "2026-12-01 %02d:%02d:00", 13 + i / 60, i % 60);
        std::snprintf(name, sizeof name, "2026-12-01_%02d-%02d-00_%s_EX%s.tbl", 13 + i / 60, i % 60,
                      directionName(direction), i == 7 ? "_2" : "");
        names.push_back(name);
        if (i < 502) {
            test::writeAll(dir.file(name), tableFileText(t, {}, "RACE") +
                                               historyLine({time, direction, id, image}));
            continue;
        }
        std::tm tm{};
        tm.tm_year = 126, tm.tm_mon = 11, tm.tm_mday = 1, tm.tm_hour = 21, tm.tm_min = 22;
        tm.tm_isdst = -1;
        EXPECT_TRUE(keepTransfer(dir.path().string(), {direction, t, {}, "RACE", id, image},
                                 std::mktime(&tm)));
    }
    const auto entries = listHistory(dir.path().string());
    ASSERT_EQ(entries.size(), 502u);
    EXPECT_EQ(entries[0].record.time, "2026-12-01 21:22:00");
    // Newest first, down to the oldest of the rest kept, then the first downloads; a module
    // whose first transfer was an upload has none.
    for (const auto& [at, made] : {std::pair{0, 502}, {101, 401}, {499, 3}, {500, 1}, {501, 0}})
        EXPECT_EQ(std::pair(entries[at].fileName, entries[at].firstOfModule),
                  std::pair(names[made], at >= 500))
            << at;
    EXPECT_EQ(std::tie(entries[500].record.FirmwareID, entries[500].record.image),
              std::tie(odd, image));
    EXPECT_FALSE(std::filesystem::exists(dir.file(names[2])));
    EXPECT_TRUE(std::filesystem::exists(dir.file("mine.tbl")));
    EXPECT_EQ(std::tuple(entries[400].TableType, entries[400].lowest, entries[400].highest),
              std::tuple("RACE", 5.5, 16.0));
    ProgramState opened;
    ASSERT_TRUE(readTableAsOpened(opened, entries[500].path, KV_DATA_DIR));
    EXPECT_EQ(std::tuple(opened.TableType, opened.AdvanceTable), std::tuple("RACE", t));

    // Transfers within one second are numbered on, whatever their direction; newest first.
    const std::string second = dir.file("second");
    using D = TransferDirection;
    for (const auto d : {D::Download, D::Upload, D::Download})
        ASSERT_TRUE(keepTransfer(second, {d, t, {}, "RACE", "VANTA 8.1 EX", image}, 1796000000));
    std::string order;
    for (const auto& e : listHistory(second))
        order += e.fileName.substr(19) + " ";
    EXPECT_EQ(order, "_download_EX_3.tbl _upload_EX_2.tbl _download_EX.tbl ");
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
    // The message is checked where a start-up shows it.
    for (const char* bad : {"", "abc", "3.5", "3x", "0", "256", "-1", "99999999999999999999"})
        EXPECT_THROW((void)parseStoredPort(bad), KvError) << bad;
}

// The adapter's latency timer as sysfs gives it, under a folder standing for /sys: above
// 1 ms it gets a note in the port frame. Only Linux has one; elsewhere nothing is said
// whatever the folder holds.
TEST(UsbLatency, ReadFromTheSystemOnLinuxOnly) {
    test::TempDir sys;
    const std::string root = sys.path().string(),
                      slow = "USB latency timer 16 ms: transfers will be slow. Set it to 1 ms "
                             "(see docs/module-link.md).";
    // The device; what its timer holds, nothing for a port that is no USB adapter; the note.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"ttyUSB0", "16\n", slow}, {"ttyUSB1", "16", slow}, {"ttyUSB2", "1", ""},
        {"ttyUSB3", "x", ""},      {"ttyS0", "", ""},
    };
    for (const auto& [tty, text, note] : cases) {
        const auto folder = sys.path() / "bus/usb-serial/devices" / tty;
        if (*text) std::filesystem::create_directories(folder);
        if (*text) test::writeAll((folder / "latency_timer").string(), text);
        const std::string device = std::string("/dev/") + tty;
#if defined(__linux__)
        EXPECT_EQ(latencyNote(device, root), note) << tty;
#else
        EXPECT_EQ(latencyNote(device, root), "") << tty;
        EXPECT_EQ(usbLatencyTimerMs(device, root), std::nullopt) << tty;
#endif
    }
#if defined(__linux__)
    // A /dev/serial/by-id name is a link to the tty itself.
    std::filesystem::create_directory(sys.path() / "dev");
    test::writeAll(root + "/dev/ttyUSB0", "");
    std::filesystem::create_symlink("dev/ttyUSB0", sys.path() / "usb-Adapter-if00-port0");
    EXPECT_EQ(latencyNote(root + "/usb-Adapter-if00-port0", root), slow);
#endif
}

} // namespace
} // namespace kv
