// SPDX-License-Identifier: GPL-3.0-or-later
// The curve data section and the table file around it.
#include "base/companion_folder.h"
#include "base/errors.h"
#include "files/curve_data.h"
#include "files/table_file.h"
#include "support/test_files.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace kv;
using kv::test::TempDir;

namespace {

const Table16x2 kRamp = kv::test::curves(5, 8, 1.5);

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    for (auto i = s.find(from); i != std::string::npos; i = s.find(from, i + to.size()))
        s.replace(i, from.size(), to);
    return s;
}

// The parameter section read as Open Table reads it, over current flags 1010, in short:
// RearOffset RetardVal CrankRevs RPMLimit, the four flags, the type, and any error.
std::string read(const std::vector<std::string>& lines) {
    TableFileParameters p = parameterDefaults({3, 4, 3, 8000, true, false, true, false});
    std::string error;
    try {
        applyParameterLines(lines, p);
    } catch (const KvError& e) {
        error = " " + e.description();
    }
    const ModuleParameters& m = p.params;
    std::ostringstream o;
    o << m.RearOffset << ' ' << m.RetardVal << ' ' << m.CrankRevs << ' ' << m.RPMLimit << ' '
      << m.FixedLimFlag << m.SelEEPROMTblFlag << m.RetardEnableFlag << m.KickStartFlag << ' '
      << p.TableType << error;
    return o.str();
}

} // namespace

TEST(CurveData, IsItsLayoutAndNothingElse) {
    const std::string good = curveDataText(kRamp);
    EXPECT_EQ(good.rfind("KVCURVES 1\r\nPOINTS 16 SERIES 2\r\n0 6.5 9.5\r\n500 8 11\r\n", 0), 0u);
    EXPECT_EQ(parseCurveData(good + "!Module Parameters\r\nanything\n").value().end, good.size());
    // clang-format off
    for (const std::string& bytes : {
             std::string("\x00\x01\xff\xfe", 4) + good, good + std::string(1, '\0'), good + "\x7f",
             good + "\x1a!x\r\n", replaced(good, "END", "\x1a\r\nEND"), // text after a Ctrl-Z
             replaced(good, "0 6.5", "0 -1e309"), replaced(good, "0 6.5", "0 nan"),
             replaced(good, "0 6.5", "0 inf"), replaced(good, "0 6.5 9.5", "0 6.5 9.5 1"),
             replaced(good, "500 8 11", "600 8 11"), replaced(good, "KVCURVES 1", "KVCURVES 2")})
        EXPECT_FALSE(parseCurveData(bytes)) << bytes.substr(0, 60);
    // clang-format on
    // Cut anywhere inside the section, it is refused; only the last line end may go.
    for (std::size_t n = 0; n + 2 < good.size(); ++n)
        EXPECT_FALSE(parseCurveData(good.substr(0, n))) << "truncated at " << n;

    TempDir dir;
    kv::test::writeAll(dir.file("good.dat"), curveDataText(kRamp));
    EXPECT_EQ(readCurveFile(dir.file("good.dat")), kRamp);
    // The reader never hangs or reads without bound: the valid section followed by
    // hundreds of megabytes (sparse, so cheap to make).
    std::filesystem::resize_file(dir.file("good.dat"), 300u << 20);
    EXPECT_FALSE(readSmallFile(dir.file("good.dat")));
#if !defined(_WIN32)
    // A FIFO with no writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readCurveFile(dir.file("fifo")));
#endif
}

// What is written reads back exactly, whatever ended its lines and whoever wrote it.
TEST(TableFile, WritesTheParameterSectionAndReadsBackExactly) {
    EXPECT_EQ(tableFileText(kRamp, kv::test::kParams, "RACE").substr(curveDataText(kRamp).size()),
              "!Module Parameters\r\n!RearOffset: -3\r\n!RetardVal:  7\r\n!RPMLimit:  6200\r\n"
              "!CrankRevs:  3\r\n!FixedLimFlag: True\r\n!SelEEPROMTblFlag: False\r\n"
              "!RetardEnableFlag: True\r\n!KickStartFlag: False\r\n!Version: RACE\r\n");
    // Every double reads back bit for bit, in range or not.
    TempDir dir;
    ProgramState s;
    std::mt19937_64 rng(20240611);
    const double specials[] = {6.5, -0.0, 0, 5e-324, 1.7976931348623157e308, 1.0 / 3};
    for (int p = 1; p <= kPoints; ++p)
        for (int c = 1; c <= kCurves; ++c) {
            const std::uint64_t bits = rng();
            std::memcpy(&s.live.values(p, c), &bits, sizeof bits);
            if (p < 4 || !std::isfinite(s.live.values(p, c)))
                s.live.values(p, c) = specials[p < 4 ? 2 * p + c - 3 : 5];
        }
    s.params = kv::test::kOtherParams;
    s.TableType = "TEX";
    ASSERT_TRUE(writeTableFile(dir.file("t.tbl"), s));
    const std::string good = kv::test::readAll(dir.file("t.tbl"));
    const std::string params = good.substr(good.find("!Module"));
    const std::string curves = good.substr(0, good.size() - params.size());
    const std::pair<const char*, std::string> accepted[] = {
        {"CR LF", good},
        {"LF alone", replaced(good, "\r\n", "\n")},
        {"CR alone", replaced(good, "\r\n", "\r")},
        {"mixed, no last line end",
         replaced(curves, "\r\n", "\n") +
             replaced(params.substr(0, params.size() - 2), "\r\n", "\r")},
        {"trailing Ctrl-Z", good + "\x1a"},
        {"Latin-1 in a ! line", replaced(good, "!Module Parameters", "!Module Soci\xe9t\xe9")},
        {"+6.5 and 1e-400",
         replaced(replaced(good, "\n0 6.5 ", "\n0 +6.5 "), "\n500 0 ", "\n500 1e-400 ")},
    };
    for (const auto& [what, bytes] : accepted) {
        EXPECT_TRUE(bytes != good || what == std::string("CR LF")) << what;
        kv::test::writeAll(dir.file("t.tbl"), bytes);
        const auto back = readTableFile(dir.file("t.tbl"));
        ASSERT_TRUE(back) << what;
        EXPECT_EQ(std::memcmp(&back->values, &s.live.values, sizeof back->values), 0) << what;
        EXPECT_EQ(read(back->parameterLines), "4 2 1 8100 0011 TEX") << what;
    }
}

// Numbers are rounded half to even, then held to their range, and one beyond 16 bits is
// an overflow raised after the rest is read; what is missing takes the file defaults but
// keeps the current flags.
TEST(TableFile, ParameterLinesAreReadByTheirRules) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "0 0 2 5700 1010 RACE"},
        {{"!RPMLimit:  12000"}, "0 0 2 9900 1010 RACE"},
        {{"!rpmlimit:  100"}, "0 0 2 3000 1010 RACE"},
        {{"note !RPMLimit: 7000"}, "0 0 2 7000 1010 RACE"},
        {{"!RPMLimit 6000"}, "0 0 2 3000 1010 RACE"}, // no colon: no number
        {{"!RearOffset: -9"}, "-5 0 2 5700 1010 RACE"},
        {{"!RearOffset: 9"}, "5 0 2 5700 1010 RACE"},
        {{"!RearOffset: -32768.5"}, "-5 0 2 5700 1010 RACE"},
        {{"!CrankRevs: none"}, "0 0 1 5700 1010 RACE"},
        {{"!RetardVal:  2.5"}, "0 2 2 5700 1010 RACE"},
        {{"!RetardVal:  3.5"}, "0 4 2 5700 1010 RACE"},
        {{"!RetardVal: 1 0"}, "0 10 2 5700 1010 RACE"},
        {{"!RearOffset: 3 !RetardVal: 8"}, "3 3 2 5700 1010 RACE"}, // after the first colon
        {{"!FixedLimFlag: 1", "!SelEEPROMTblFlag: xxTRUExx"}, "0 0 2 5700 0110 RACE"},
        {{"!Version: tex"}, "0 0 2 5700 1010 TEX"},
        {{"!Version: EX", "!Version: RACE"}, "0 0 2 5700 1010 EX"},
        {{"!Version: TEX", "!Version: EX"}, "0 0 2 5700 1010 EX"},
        {{"!RPMLimit:  40000", "!Version: EX", "!KickStartFlag: True"},
         "0 0 2 5700 1011 EX Overflow"},
        {{"!RetardVal: 32767.5", "!RPMLimit: 6000"}, "0 0 2 6000 1010 RACE Overflow"},
        {{"!RearOffset: -1e999"}, "0 0 2 5700 1010 RACE Overflow"},
        {{"!CrankRevs: 1e400"}, "0 0 2 5700 1010 RACE Overflow"}};
    for (const auto& [lines, want] : cases)
        EXPECT_EQ(read(lines), want) << (lines.empty() ? "none" : lines.front());
}

// The companion files are beside the program, or where the install of its system put them.
TEST(CompanionFolder, BesideTheProgramOrWhereTheInstallPutThem) {
    TempDir dir;
    const auto at = [&](const char* rel) {
        return std::filesystem::weakly_canonical(dir.path() / rel).string();
    };
    for (const char* folder :
         {"a/bin", "u/bin", "u/share/kestrel-vanta", "m/Contents/MacOS", "m/Contents/Resources"})
        std::filesystem::create_directories(dir.path() / folder);
    for (const char* marked : {"a/bin", "u/share/kestrel-vanta", "m/Contents/Resources"})
        kv::test::writeAll(at(marked) + "/Vanta_Chart.oc2", "");
    using L = InstallLayout;
    const std::tuple<const char*, L, const char*> cases[] = {
        {"a/bin", L::Unix, "a/bin"},
        {"u/bin", L::Unix, "u/share/kestrel-vanta"},
        {"m/Contents/MacOS", L::MacBundle, "m/Contents/Resources"},
        {"u/bin", L::MacBundle, "u/bin"},
        {"u/bin", L::Windows, "u/bin"}};
    for (const auto& [program, layout, found] : cases)
        EXPECT_EQ(companionFolder(at(program), layout), at(found)) << program;
}
