// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"
#include "table/chart_template.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kv;

namespace {
const std::string kHead = "Kestrel Vanta chart template 1\n";
const std::string kUtf8Head = "\xEF\xBB\xBF" + kHead; // a byte-order mark: UTF-8 texts
} // namespace

TEST(ChartTemplate, KeysOverlayTheBaseInAnyTextConvention) {
    ChartLook base;
    base.header = "Base header";
    const auto r = parseChartTemplate(kHead + "y.range = -5 50.5\nseries2.color = #00ff7F\n"
                                              "legend = bottom\nseries1.marker = 0\n",
                                      base);
    ASSERT_TRUE(r.ok) << r.error;
    ChartLook want = base;
    want.y.min = -5;
    want.y.max = 50.5;
    want.series[1].color = 0x00FF7F;
    want.series[0].marker = 0;
    want.legend = ChartLook::LegendPlace::Bottom;
    EXPECT_EQ(r.look, want);

    // Any line end, comments, blanks around "=", a value holding "=", no last line end,
    // a trailing Ctrl-Z; Windows-1252 text, or UTF-8 after a byte-order mark.
    const std::pair<std::string, std::string> cases[] = {
        {"\r\n# c = x\r\n\r\n  header\t=  K = Vorz\xFCndung \r\nseries1.legend = Vollgas",
         "K = Vorz\u00FCndung"},
        {"\rheader = Soci\xE9t\xE9 \x80\x9F\rseries1.legend = Vollgas\r",
         "Soci\u00E9t\u00E9 \u20AC\u0178"},
        {"\nheader = x\r\nseries1.legend = Vollgas\n\x1a", "x"},
    };
    for (const auto& [text, header] : cases) {
        const auto t = parseChartTemplate("Kestrel Vanta chart template 1" + text);
        ASSERT_TRUE(t.ok) << text << " -> " << t.error;
        EXPECT_EQ(t.look.header + "|" + t.look.series[0].legend, header + "|Vollgas") << text;
    }
    const auto utf8 = parseChartTemplate(kUtf8Head + "header = Vorz\xC3\xBCndung\r\n");
    EXPECT_EQ(utf8.look.header, "Vorz\u00FCndung") << utf8.error;
}

TEST(ChartTemplate, RefusedTemplatesSayWhyAndChangeNothing) {
    ChartLook base;
    base.header = "kept";
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty"},
        {"Kestrel Vanta chart template 2\n", "not a chart template"},
        {"header = Advance Curves\n", "not a chart template"},
        {kHead + "headr = x\n", "unknown key \"headr\""},
        {kHead + "header\n", "expected \"key = value\""},
        {kHead + "header = a\nheader = b\n", "line 3: \"header\" is given twice"},
        {kHead + "header = \n", "\"header\" must be a text"},
        {kHead + "header = " + std::string(121, 'x') + "\n", "must be a text"},
        {kHead + "header = a\x01z\n", "must be a text"},
        {kHead + "header = a\x7Fz\n", "must be a text"},
        {kUtf8Head + "header = \xC3\n", "must be a text"},         // cut sequence
        {kUtf8Head + "header = \xC0\xAF\n", "must be a text"},     // overlong
        {kUtf8Head + "header = \xED\xA0\x80\n", "must be a text"}, // surrogate
        {kUtf8Head + "header = \xC2\x85\n", "must be a text"},     // C1 control
        {kHead + "x.range = 10 10\n", "min < max"},
        {kHead + "x.range = 0\n", "min < max"},
        {kHead + "y.range = 0 nan\n", "min < max"},
        {kHead + "y.range = 0 2000000\n", "min < max"},
        {kHead + "y.range = 0x0 45\n", "min < max"},
        {kHead + "x.ticks = 4000000000\n", "2 to 41"},
        {kHead + "y.decimals = 4\n", "0 to 3"},
        {kHead + "header.size = 49\n", "6 to 48"},
        {kHead + "background = #12345\n", "#RRGGBB"},
        {kHead + "series1.width = 0\n", "0.5 to 10"},
        {kHead + "series2.marker = -1\n", "0 to 30"},
        {kHead + "legend = middle\n", "top, bottom"},
        {kHead + std::string(kChartTemplateMaxBytes, '#'), "too large"},
        {kHead + std::string("header = a\0b\n", 13), "not a text file"},
    };
    for (const auto& [text, why] : cases) {
        const auto r = parseChartTemplate(text, base);
        EXPECT_NE(r.error.find(why), std::string::npos) << text << " -> " << r.error;
        EXPECT_TRUE(!r.ok && r.look == base) << text; // all or nothing, even after good lines
    }
}

TEST(ChartTemplateFile, ShippedOneReadsAndUnusableFilesAreRefusedWithoutHanging) {
    const auto shipped = readChartTemplate(KV_DATA_DIR "/Vanta_Chart.oc2");
    EXPECT_EQ(shipped.look.header + "|" + shipped.look.series[1].legend + "|" + shipped.error,
              "Advance Curves|Low MAP|");
    EXPECT_GE(shipped.look.y.max, 40); // the drag reaches 40; the scale must show it

    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0); // would block a reader
    test::writeAll(dir.file("huge"), kHead + std::string(8 << 20, '#'));
    test::writeAll(dir.file("png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const std::pair<std::string, std::string> cases[] = {{dir.file("absent"), "not found"},
                                                         {dir.path().string(), "is not a file"},
                                                         {dir.file("pipe"), ""},
                                                         {"/dev/zero", ""},
                                                         {dir.file("huge"), "too large"},
                                                         {dir.file("png"), ""}};
    for (const auto& [path, why] : cases) {
        const auto r = readChartTemplate(path);
        EXPECT_NE(r.ok ? std::string::npos : r.error.find(why), std::string::npos) << path;
    }
    test::writeAll(dir.file("locked"), kHead);
    ::chmod(dir.file("locked").c_str(), 0);
    EXPECT_EQ(test::asOrdinaryUser([&] {
                  return readChartTemplate(dir.file("locked")).error.find("cannot be read") ==
                         std::string::npos;
              }),
              0);
}
