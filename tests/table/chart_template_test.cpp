// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"
#include "table/chart_template.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;

namespace {

const std::string kHead = "Kestrel Vanta chart template 1\n";
// A byte-order mark makes the template UTF-8; the checks on its texts follow.
const std::string kUtf8Head = "\xEF\xBB\xBF" + kHead;

} // namespace

TEST(ChartTemplate, ShippedTemplateCarriesTheChartTexts) {
    const auto r = readChartTemplate(std::string(KV_DATA_DIR) + "/Vanta_Chart.oc2");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.look.header, "Advance Curves");
    EXPECT_EQ(r.look.x.title, "RPM");
    EXPECT_EQ(r.look.y.title, "Advance (Deg)");
    EXPECT_EQ(r.look.series[0].legend, "WOT"); // chart series 1
    EXPECT_EQ(r.look.series[1].legend, "Low MAP");
    EXPECT_EQ(r.look.x.min, 0);
    EXPECT_EQ(r.look.x.max, 7500);
    EXPECT_GE(r.look.y.max, 40); // the drag reaches 40; the scale must show it
}

TEST(ChartTemplate, KeysOverlayTheBaseAndTheRestIsKept) {
    ChartLook base;
    base.header = "Base header";
    const auto r = parseChartTemplate(kHead + "y.range = -5 50.5\nseries2.color = #00ff7F\n"
                                              "legend = bottom\nseries1.marker = 0\n",
                                      base);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.look.header, "Base header");
    EXPECT_EQ(r.look.y.min, -5);
    EXPECT_EQ(r.look.y.max, 50.5);
    EXPECT_EQ(r.look.series[1].color, 0x00FF7Fu);
    EXPECT_EQ(r.look.series[1].legend, "Low MAP");
    EXPECT_EQ(r.look.series[0].marker, 0);
    EXPECT_EQ(r.look.legend, ChartLook::LegendPlace::Bottom);
}

TEST(ChartTemplate, TextConventionsAccepted) {
    // Any line end, comments, blank lines, blanks around "=", a value holding "=",
    // a last line without a line end and a trailing Ctrl-Z; Windows-1252 text, or UTF-8
    // after a byte-order mark.
    const std::pair<std::string, std::string> cases[] = {
        {"Kestrel Vanta chart template 1\r\n# c = x\r\n\r\n  header\t=  K = Vorz\xFCndung \r\n"
         "series1.legend = Vollgas",
         "K = Vorz\u00FCndung"},
        {"Kestrel Vanta chart template 1\rheader = Soci\xE9t\xE9 \x80\x9F\rseries1.legend = "
         "Vollgas\r",
         "Soci\u00E9t\u00E9 \u20AC\u0178"},
        {"Kestrel Vanta chart template 1\nheader = x\r\nseries1.legend = Vollgas\n\x1a", "x"},
        {"\xEF\xBB\xBFKestrel Vanta chart template 1\r\nheader = Vorz\xC3\xBCndung\r\n"
         "series1.legend = Vollgas\r\n",
         "Vorz\u00FCndung"},
    };
    for (const auto& [text, header] : cases) {
        const auto r = parseChartTemplate(text);
        ASSERT_TRUE(r.ok) << text << " -> " << r.error;
        EXPECT_EQ(r.look.header, header) << text;
        EXPECT_EQ(r.look.series[0].legend, "Vollgas") << text;
    }
    EXPECT_TRUE(parseChartTemplate("Kestrel Vanta chart template 1").ok);
}

TEST(ChartTemplate, RefusedTemplatesSayWhyAndChangeNothing) {
    ChartLook base;
    base.header = "kept";
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty"},
        {"Kestrel Vanta chart template 2\n", "not a chart template"},
        {"header = Advance Curves\n", "not a chart template"},
        {kHead + "headr = x\n", "unknown key \"headr\""},
        {kHead + "series1.\n", "expected"},
        {kHead + "header\n", "expected \"key = value\""},
        {kHead + "header = a\nheader = b\n", "line 3: \"header\" is given twice"},
        {kHead + "header = \n", "\"header\" must be a text"},
        {kHead + "header = " + std::string(121, 'x') + "\n", "must be a text"},
        {kHead + "header = a\x01z\n", "must be a text"},
        {kUtf8Head + "header = \xC3\n", "must be a text"},         // cut sequence
        {kUtf8Head + "header = \xC0\xAF\n", "must be a text"},     // overlong
        {kUtf8Head + "header = \xED\xA0\x80\n", "must be a text"}, // surrogate
        {kUtf8Head + "header = \xC2\x85\n", "must be a text"},     // C1 control
        {kHead + "x.range = 10 10\n", "min < max"},
        {kHead + "x.range = 0\n", "min < max"},
        {kHead + "y.range = 0 nan\n", "min < max"},
        {kHead + "y.range = 0 1e999\n", "min < max"},
        {kHead + "y.range = 0 2000000\n", "min < max"},
        {kHead + "y.range = 0x0 45\n", "min < max"},
        {kHead + "x.ticks = 1\n", "2 to 41"},
        {kHead + "x.ticks = 4000000000\n", "2 to 41"},
        {kHead + "y.decimals = 4\n", "0 to 3"},
        {kHead + "header.size = 0\n", "6 to 48"},
        {kHead + "background = #12345\n", "#RRGGBB"},
        {kHead + "series1.width = 0\n", "0.5 to 10"},
        {kHead + "series2.marker = -1\n", "0 to 30"},
        {kHead + "legend = middle\n", "top, bottom"},
        {kHead + std::string(kChartTemplateMaxBytes, '#'), "too large"},
    };
    for (const auto& [text, why] : cases) {
        const auto r = parseChartTemplate(text, base);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_NE(r.error.find(why), std::string::npos) << text << " -> " << r.error;
        EXPECT_EQ(r.look, base) << text; // all or nothing, even after good lines
    }
    const auto withNul = parseChartTemplate(kHead + std::string("header = a\0b\n", 13));
    EXPECT_NE(withNul.error.find("not a text file"), std::string::npos);
}

TEST(ChartTemplateFile, UnusableFilesAreRefusedWithoutHanging) {
    test::TempDir dir;
    EXPECT_NE(readChartTemplate(dir.file("absent.oc2")).error.find("not found"), std::string::npos);
    EXPECT_NE(readChartTemplate(dir.path().string()).error.find("is not a file"),
              std::string::npos);

    // A pipe nobody writes to would block a reader that opened it.
    const auto fifo = dir.file("pipe.oc2");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(readChartTemplate(fifo).ok);
    EXPECT_FALSE(readChartTemplate("/dev/zero").ok);

    const auto huge = dir.file("huge.oc2");
    test::writeAll(huge, kHead + std::string(8 * 1024 * 1024, '#'));
    const auto big = readChartTemplate(huge);
    EXPECT_FALSE(big.ok);
    EXPECT_NE(big.error.find("too large"), std::string::npos);
    std::filesystem::remove(huge);

    const auto garbage = dir.file("garbage.oc2");
    test::writeAll(garbage, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    EXPECT_FALSE(readChartTemplate(garbage).ok);

    const auto locked = dir.file("locked.oc2");
    test::writeAll(locked, kHead);
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(test::asOrdinaryUser([&] {
        const auto r = readChartTemplate(locked);
        return !r.ok && r.error.find("cannot be read") != std::string::npos ? 0 : 1;
    }),
              0);
}
