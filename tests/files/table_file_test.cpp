// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"
#include "files/curve_data.h"
#include "files/table_file.h"
#include "support/test_files.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>

using namespace kv;
using kv::test::readAll;
using kv::test::TempDir;
using kv::test::writeAll;
namespace fs = std::filesystem;

namespace {

const Table16x2 kRamp = kv::test::curves(0.123456789, -1.0 / 3, 2.5);

std::string paramSection(const std::string& file) {
    return file.substr(parseCurveData(file)->end);
}

// The parameter section read on top of `current` flags, as Open Table does.
TableFileParameters read(const std::vector<std::string>& lines, ModuleParameters current = {}) {
    TableFileParameters p = parameterDefaults(current);
    applyParameterLines(lines, p);
    return p;
}

} // namespace

TEST(TableFileWriting, ParameterSectionTexts) {
    ModuleParameters p;
    p.RPMLimit = 5700;
    EXPECT_EQ(paramSection(tableFileText(kRamp, p, "RACE")),
              "!Module Parameters\r\n!RearOffset:  0\r\n!RetardVal:  0\r\n!RPMLimit:  5700\r\n"
              "!CrankRevs:  2\r\n!FixedLimFlag: False\r\n!SelEEPROMTblFlag: True\r\n"
              "!RetardEnableFlag: False\r\n!KickStartFlag: False\r\n!Version: RACE\r\n");

    p.RearOffset = -3;
    std::string text = paramSection(tableFileText(kRamp, p, "TEX"));
    EXPECT_NE(text.find("\r\n!RearOffset: -3\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n!Version: TEX\r\n"), std::string::npos);
    p.RearOffset = 4;
    p.KickStartFlag = true;
    text = paramSection(tableFileText(kRamp, p, "EX"));
    EXPECT_NE(text.find("\r\n!RearOffset:  4\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n!KickStartFlag: True\r\n"), std::string::npos);
}

TEST(TableFileWriting, RoundTripIsExact) {
    TempDir dir;
    ProgramState s;
    s.live.values = kRamp;
    s.live.values(3, kLow) = -0.0;
    s.live.values(4, kWot) = 41.25; // the file keeps what the table holds, in range or not
    s.params = {-3, 7, 1, 9900, true, false, true, true};
    s.TableType = "TEX";
    ASSERT_TRUE(writeTableFile(dir.file("t.tbl"), s));

    const auto back = readTableFile(dir.file("t.tbl"));
    ASSERT_TRUE(back);
    EXPECT_EQ(std::memcmp(&back->values, &s.live.values, sizeof back->values), 0);
    const TableFileParameters p = read(back->parameterLines);
    EXPECT_EQ(p.params, s.params);
    EXPECT_EQ(p.TableType, "TEX");
}

TEST(TableFileReading, MissingLinesGiveFileDefaultsAndKeepFlags) {
    ModuleParameters current{3, 4, 3, 8000, true, false, true, true};
    const TableFileParameters p = read({}, current);
    EXPECT_EQ(p.TableType, "RACE");
    EXPECT_EQ(p.params, (ModuleParameters{0, 0, 2, 5700, true, false, true, true}));

    // A limit file opened as a table has no parameter section at all.
    TempDir dir;
    writeAll(dir.file("limit.dat"), curveDataText(kRamp));
    EXPECT_TRUE(readTableFile(dir.file("limit.dat"))->parameterLines.empty());
}

TEST(TableFileReading, NumbersAreRoundedHalfEvenThenHeldToTheirRange) {
    using Field = std::int16_t ModuleParameters::*;
    constexpr Field kRpm = &ModuleParameters::RPMLimit, kOffset = &ModuleParameters::RearOffset,
                    kCrank = &ModuleParameters::CrankRevs, kRetard = &ModuleParameters::RetardVal;
    // Blanks inside a number are skipped; without a colon the whole line is the value
    // text, which holds no leading number; the key may stand anywhere in a kept line.
    const std::tuple<const char*, Field, int> cases[] = {
        {"!RPMLimit:  12000", kRpm, 9900},   {"!RPMLimit:  100", kRpm, 3000},
        {"!RPMLimit:", kRpm, 3000},          {"!rpmlimit:  6000", kRpm, 6000},
        {"!RearOffset: -9", kOffset, -5},    {"!RearOffset: 9", kOffset, 5},
        {"!CrankRevs:  0", kCrank, 1},       {"!CrankRevs: none", kCrank, 1},
        {"!RetardVal:  2.5", kRetard, 2},    {"!RetardVal:  3.5", kRetard, 4},
        {"!RetardVal: 1 0", kRetard, 10},    {"!RPMLimit 6000", kRpm, 3000},
        {"note !RPMLimit: 7000", kRpm, 7000}};
    for (const auto& [line, field, value] : cases)
        EXPECT_EQ(read({line}).params.*field, value) << line;
    // A line holding two keys sets both from the text after its first colon.
    const ModuleParameters both = read({"!RearOffset: 3 !RetardVal: 8"}).params;
    EXPECT_EQ(both.RearOffset, 3);
    EXPECT_EQ(both.RetardVal, 3);
}

TEST(TableFileReading, FlagsAndTableType) {
    const auto flags = [](const std::string& value) {
        return read({"!FixedLimFlag: " + value}, ModuleParameters{0, 0, 2, 3000, true})
            .params.FixedLimFlag;
    };
    for (const auto& [value, set] :
         {std::pair{"False", false}, {"1", false}, {"true", true}, {"xxTRUExx", true}})
        EXPECT_EQ(flags(value), set) << value;

    const auto type = [](std::vector<std::string> lines) { return read(lines).TableType; };
    for (const auto& [version, t] : {std::pair{"TEX", "TEX"},
                                     {"tex", "TEX"},
                                     {"EX", "EX"},
                                     {"RACE", "RACE"},
                                     {"8.10", "RACE"}})
        EXPECT_EQ(type({std::string("!Version: ") + version}), t) << version;
    // A later line without EX or TEX changes nothing; a later EX line overrides.
    EXPECT_EQ(type({"!Version: EX", "!Version: RACE"}), "EX");
    EXPECT_EQ(type({"!Version: TEX", "!Version: EX"}), "EX");
}

TEST(TableFileReading, LineOrderAndHeadingDoNotMatter) {
    const std::vector<std::string> lines = {"!Module Parameters",       "!RearOffset: -2",
                                            "!RetardVal:  5",           "!RPMLimit:  6500",
                                            "!CrankRevs:  3",           "!FixedLimFlag: True",
                                            "!SelEEPROMTblFlag: False", "!RetardEnableFlag: True",
                                            "!KickStartFlag: True",     "!Version: EX"};
    const TableFileParameters inOrder = read(lines);
    std::vector<std::string> shuffled(lines.rbegin(), lines.rend() - 1); // no heading
    const TableFileParameters reversed = read(shuffled);
    EXPECT_EQ(inOrder.params, (ModuleParameters{-2, 5, 3, 6500, true, false, true, true}));
    EXPECT_EQ(reversed.params, inOrder.params);
    EXPECT_EQ(reversed.TableType, "EX");
}

TEST(TableFileReading, BeyondSixteenBitsIsAnOverflowAfterTheRestIsRead) {
    for (const char* line :
         {"!RPMLimit:  40000", "!RetardVal: 32767.5", "!RearOffset: -1e999", "!CrankRevs: 1e400"}) {
        TableFileParameters p = parameterDefaults({});
        try {
            applyParameterLines({line, "!Version: EX", "!KickStartFlag: True"}, p);
            ADD_FAILURE() << line << " did not overflow";
        } catch (const KvError& e) {
            EXPECT_EQ(e.code(), kErrOverflow);
            EXPECT_EQ(e.description(), "Overflow");
        }
        EXPECT_EQ(p.TableType, "EX") << line;
        EXPECT_TRUE(p.params.KickStartFlag);
        EXPECT_EQ(p.params, (ModuleParameters{0, 0, 2, 5700, false, true, false, true}));
    }
    // -32768.5 rounds to the even -32768, which fits, and is then raised to -5.
    EXPECT_EQ(read({"!RearOffset: -32768.5"}).params.RearOffset, -5);
}
