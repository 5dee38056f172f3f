// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/test_files.h"
#include "table/chart_template.h"

#include <gtest/gtest.h>
#include <vector>
#if !defined(_WIN32)
#include <sys/stat.h> // mkfifo
#endif

using namespace kv;

namespace {
const std::string kHead = "Kestrel Vanta chart template 1\n";
const std::string kUtf8Head = "\xEF\xBB\xBF" + kHead; // a byte-order mark: UTF-8 texts
} // namespace

TEST(ChartTemplate, KeysOverlayTheBaseInAnyTextConventionOrAllAreRefused) {
    ChartLook base, want;
    base.header = want.header = "Base header";
    want.y.max = 50.5;
    want.series[1].color = 0x00FF7F;
    want.legend = ChartLook::LegendPlace::Bottom;
    const std::string keys = "y.range = 0 50.5\nseries2.color = #00ff7F\nlegend = bottom\n";
    EXPECT_EQ(parseChartTemplate(kHead + keys, base).look, want);
    // Any line end, comments, blanks around "=", a value holding "=", no last line end,
    // a trailing Ctrl-Z; Windows-1252 text, or UTF-8 after a byte-order mark.
    const std::pair<std::string, std::string> cases[] = {
        {"Kestrel Vanta chart template 1\r\n# c = x\r\n\r\n  header\t=  K = Vorz\xFCndung \r\n"
         "series1.legend = L",
         "K = Vorz\u00FCndung"},
        {"Kestrel Vanta chart template 1\rheader = Soci\xE9t\xE9 \x80\x9F\rseries1.legend = L\r",
         "Soci\u00E9t\u00E9 \u20AC\u0178"},
        {kHead + "header = x\r\nseries1.legend = L\n\x1a", "x"},
        {kUtf8Head + "header = Vorz\xC3\xBCndung\r\nseries1.legend = L", "Vorz\u00FCndung"}};
    for (const auto& [text, header] : cases) {
        const auto t = parseChartTemplate(text);
        EXPECT_EQ(t.look.header + "|" + t.look.series[0].legend + t.error, header + "|L") << text;
    }

    // Refused templates say why and change nothing.
    // clang-format off
    const std::pair<const char*, const char*> refused[] = {
        {"headr = x", "unknown key \"headr\""},    {"header", "expected \"key = value\""},
        {"header = a\nheader = b", "line 3: \"header\" is given twice"},
        {"header = ", "\"header\" must be a text"}, {"header = a\x01z", "must be a text"},
        {"header = a\x7Fz", "must be a text"},      {"x.range = 10 10", "min < max"},
        {"x.range = 0", "min < max"},               {"y.range = 0 nan", "min < max"},
        {"y.range = 0 2000000", "min < max"},       {"y.range = 0x0 45", "min < max"},
        {"x.ticks = 4000000000", "2 to 41"},        {"y.decimals = 4", "0 to 3"},
        {"header.size = 49", "6 to 48"},            {"background = #12345", "#RRGGBB"},
        {"series1.width = 0", "0.5 to 10"},         {"series2.marker = -1", "0 to 30"},
        {"legend = middle", "top, bottom"}};
    // clang-format on
    for (const auto& [text, why] : refused) {
        const auto r = parseChartTemplate(kHead + text + "\n", base);
        EXPECT_NE(r.error.find(why), std::string::npos) << text << " -> " << r.error;
        EXPECT_TRUE(!r.ok && r.look == base) << text; // all or nothing, even after good lines
    }
    // Not a template, too long a text or file, a NUL, UTF-8 that is cut, overlong, a
    // surrogate or a C1 control.
    for (const std::string& text :
         {std::string(), kHead.substr(0, 29) + "2\n", kHead.substr(2),
          kHead + "header = " + std::string(121, 'x'),
          kHead + std::string(kChartTemplateMaxBytes, '#'),
          kHead + std::string("header = a\0b\n", 13), kUtf8Head + "header = \xC3\n",
          kUtf8Head + "header = \xC0\xAF\n", kUtf8Head + "header = \xED\xA0\x80\n",
          kUtf8Head + "header = \xC2\x85\n"}) {
        const auto r = parseChartTemplate(text, base);
        EXPECT_TRUE(!r.ok && !r.error.empty() && r.look == base) << text;
    }
}

TEST(ChartTemplateFile, ShippedOneReadsAndUnusableFilesAreRefusedWithoutHanging) {
    const auto shipped = readChartTemplate(KV_DATA_DIR "/Vanta_Chart.oc2");
    EXPECT_TRUE(shipped.ok && shipped.look.y.max >= 40) << shipped.error; // drags reach 40
    test::TempDir dir;
    test::writeAll(dir.file("huge"), kHead + std::string(8 << 20, '#'));
    std::vector<std::string> unusable{dir.file("huge"), dir.file("absent"), dir.path().string()};
#if !defined(_WIN32)
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0); // would block a reader
    unusable.insert(unusable.end(), {dir.file("pipe"), "/dev/zero"});
#else
    unusable.push_back("NUL"); // the device, in any folder
#endif
    for (const std::string& path : unusable)
        EXPECT_FALSE(readChartTemplate(path).ok) << path;
}
