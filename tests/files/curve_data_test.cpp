// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/curve_data.h"
#include "support/test_files.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using kv::test::TempDir;

namespace {

const Table16x2 kRamp = kv::test::curves(5, 8, 1.5);

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (auto i = s.find(from); i != std::string::npos; i = s.find(from, i + to.size()))
        s.replace(i, from.size(), to);
    return s;
}

} // namespace

TEST(CurveData, EveryDoubleReadsBackBitForBit) {
    std::mt19937_64 rng(20240611);
    const double specials[] = {0.1,     1.0 / 3,   -0.0, 5e-324,   1.7976931348623157e308,
                               -1e-300, 100.0 / 9, 40,   -32768.5, 2.2250738585072014e-308};
    for (int round = 0; round < 50; ++round) {
        Table16x2 t;
        for (int p = 1; p <= kPoints; ++p)
            for (int c = 1; c <= kCurves; ++c) {
                double v;
                do {
                    const std::uint64_t bits = rng();
                    std::memcpy(&v, &bits, sizeof v);
                } while (!std::isfinite(v));
                t(p, c) = round == 0 ? specials[(p + c) % 10] : v;
            }
        const auto back = parseCurveData(curveDataText(t));
        ASSERT_TRUE(back) << curveDataText(t);
        EXPECT_EQ(std::memcmp(&back->values, &t, sizeof t), 0) << curveDataText(t);
    }
}

TEST(CurveData, SectionIsAsciiCrLfTextWithoutParameterMarks) {
    const std::string text = curveDataText(kRamp);
    EXPECT_EQ(text.rfind("KVCURVES 1\r\nPOINTS 16 SERIES 2\r\n0 6.5 9.5\r\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 5), "END\r\n");
    EXPECT_EQ(text.find('!'), std::string::npos);
    EXPECT_EQ(replaceAll(text, "\r\n", "").find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(parseCurveData(text)->end, text.size());
}

TEST(CurveData, AcceptsTextAfterTheSection) {
    const std::string text = curveDataText(kRamp);
    const auto s = parseCurveData(text + "!Module Parameters\r\nanything else\n");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->end, text.size());
    EXPECT_EQ(s->values, kRamp);
}

TEST(CurveData, RefusesWhatIsNotTheLayout) {
    const std::string good = curveDataText(kRamp);
    const std::string binary("\x00\x01\xff\xfeKVCURVES 1\r\n", 16);
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"binary", binary + good},
        {"non-ASCII value", replaceAll(good, "500 ", "500 \xc3\xa9")},
        {"NUL after", good + std::string(1, '\0')},
        {"control byte after", good + "!Version: \x01X\r\n"},
        {"Ctrl-Z inside", replaceAll(good, "END", "\x1a\r\nEND")},
        {"two signs", replaceAll(good, "0 6.5", "0 +-6.5")},
        {"1e309", replaceAll(good, "0 6.5", "0 -1e309")},
        {"nan", replaceAll(good, "0 6.5", "0 nan")},
        {"inf", replaceAll(good, "0 6.5", "0 inf")},
        {"1e999", replaceAll(good, "0 6.5", "0 1e999")},
        {"hex", replaceAll(good, "0 6.5", "0 0x10")},
        {"comma", replaceAll(good, "0 6.5", "0 6,5")},
        {"missing value", replaceAll(good, "0 6.5 9.5", "0 6.5")},
        {"extra value", replaceAll(good, "0 6.5 9.5", "0 6.5 9.5 1")},
        {"wrong rpm", replaceAll(good, "500 8 11", "600 8 11")},
        {"no end", replaceAll(good, "END\r\n", "")},
        {"other version", replaceAll(good, "KVCURVES 1", "KVCURVES 2")},
    };
    for (const auto& [what, bytes] : bad)
        EXPECT_FALSE(parseCurveData(bytes)) << what;
    // Cut anywhere inside the section, it is refused; only the last line end may go.
    for (std::size_t n = 0; n + 2 < good.size(); ++n)
        EXPECT_FALSE(parseCurveData(good.substr(0, n))) << "truncated at " << n;
}

TEST(CurveData, FileReaderNeverHangsOrReadsWithoutBound) {
    TempDir dir;
    const std::string good = curveDataText(kRamp);
    kv::test::writeAll(dir.file("good.dat"), good);
    EXPECT_EQ(readCurveFile(dir.file("good.dat")), kRamp);
    EXPECT_FALSE(readCurveFile(dir.file("missing.dat")));
    EXPECT_FALSE(readCurveFile(dir.path().string())); // a directory

    // A valid section followed by hundreds of megabytes (sparse, so cheap to make).
    const std::string huge = dir.file("huge.tbl");
    kv::test::writeAll(huge, good);
    std::filesystem::resize_file(huge, 300u << 20);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(readSmallFile(huge));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // A FIFO with no writer would block a plain open for ever.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readCurveFile(dir.file("fifo")));

    std::filesystem::permissions(dir.file("good.dat"), std::filesystem::perms::none);
    EXPECT_TRUE(kv::test::asOrdinaryUser([&] { return !readCurveFile(dir.file("good.dat")); }));
}
