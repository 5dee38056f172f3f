// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/report_layout.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

// A line as a monospaced printer puts it on paper, without trailing blanks.
std::string paper(const ReportLine& line) {
    std::string s;
    for (const ReportItem& item : line) {
        s.resize(std::max<std::size_t>(s.size(), std::size_t(item.column - 1)), ' ');
        s.replace(std::size_t(item.column - 1), item.text.size(), item.text);
    }
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::vector<std::string> paper(const std::vector<ReportLine>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines)
        out.push_back(paper(l));
    return out;
}

ReportInput sample() {
    ProgramState s;
    for (int c = 1; c < kGridCols; ++c) {
        setOneValue(s, 1, c, 10 + c);
        setOneValue(s, 2, c, 20 + c / 2.0);
    }
    s.live.setText(2, 16, "28.12345"); // typed text is kept as typed
    s.live.setText(1, 16, "1234567890");
    ReportInput in = reportInputFrom(s);
    in.shortName = "Orvane";
    in.printedAt = "12/6/2026 9:41:07 PM";
    in.FirmwareID = "VANTA 8.1 EX";
    in.params.RearOffset = -3;
    in.params.RPMLimit = 5700;
    return in;
}

const std::string kHeading =
    "         Orvane Vanta Ignition Module Data Printed: 12/6/2026 9:41:07 PM";

} // namespace

TEST(ReportLayout, DataPageLinesInOrderAtTheirColumns) {
    const std::vector<std::string> expected = {
        kHeading,
        "",
        "         Serial/Comment: SN 0042",
        "",
        "         Advance Table",
        "",
        "         MAP/RPM 0       500     1000    1500    2000    2500    3000    3500    4000    "
        "4500    5000    5500    6000    6500    7000    7500",
        "         Low     11.0    12.0    13.0    14.0    15.0    16.0    17.0    18.0    19.0    "
        "20.0    21.0    22.0    23.0    24.0    25.0    12345678",
        "         WOT     20.5    21.0    21.5    22.0    22.5    23.0    23.5    24.0    24.5    "
        "25.0    25.5    26.0    26.5    27.0    27.5    28.12345",
        "",
        "",
        "         Firmware ID:        VANTA 8.1 EX",
        "",
        "         Cranking Revs:                 2",
        "         Rear Cylinder Offset (Deg):   -3.0",
        "         Retard (Deg):                 0.0",
        "         Fixed RPM Limit:              5700",
        "",
        "         Kick Start Mode Enabled:      False",
        "         Retard Feature Enabled:       False",
        "         Fixed RPM Limit Enabled:      False",
        "         Select EEPROM Advance Table:  True",
    };
    ReportInput in = sample();
    in.comment = "SN 0042";
    EXPECT_EQ(paper(dataPageLines(in)), expected);
    EXPECT_EQ(paper(chartPageLines(in)),
              (std::vector<std::string>{kHeading, "         Serial/Comment: SN 0042"}));
    // Every table line is 17 fields of exactly 8 characters.
    for (int row = 6; row <= 8; ++row)
        EXPECT_EQ(dataPageLines(in)[std::size_t(row)][0].text.size(), 136u);
}

TEST(ReportLayout, EdgeCases) {
    struct Case {
        const char* name;
        void (*change)(ReportInput&);
        std::vector<std::string> wanted; // lines the data page must hold
        std::vector<std::string> absent; // lines it must not hold
    };
    const Case cases[] = {
        {"no comment: no comment line, two empty lines before the table",
         [](ReportInput& in) { in.comment.clear(); },
         {},
         {"         Serial/Comment:"}},
        {"kick start: no cranking line",
         [](ReportInput& in) { in.params.KickStartFlag = true; },
         {"         Kick Start Mode Enabled:      True"},
         {"         Cranking Revs:                 2"}},
        {"no module read: nothing after the label",
         [](ReportInput& in) { in.FirmwareID.clear(); },
         {"         Firmware ID:"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReportInput in = sample();
        c.change(in);
        const auto lines = paper(dataPageLines(in));
        for (const auto& w : c.wanted)
            EXPECT_NE(std::find(lines.begin(), lines.end(), w), lines.end()) << w;
        for (const auto& a : c.absent)
            for (const auto& l : lines)
                EXPECT_NE(l.rfind(a, 0), 0u) << l;
    }
    ReportInput none = sample();
    const auto lines = paper(dataPageLines(none));
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
              (std::vector<std::string>{kHeading, "", "", "         Advance Table", ""}));
    EXPECT_EQ(chartPageLines(none).size(), 1u);
}

TEST(ReportLayout, LinesAreCutAtThePageEdgeByCharacters) {
    const std::vector<ReportLine> lines = {
        {{10, "Serial/Comment: Größe\tund\nmehr"}},
        {{10, "Firmware ID:"}, {30, "far"}},
    };
    EXPECT_EQ(paper(fitToColumns(lines, 29)),
              (std::vector<std::string>{"         Serial/Comment: Größ", "         Firmware ID:"}));
    EXPECT_EQ(paper(fitToColumns(lines, 100)),
              (std::vector<std::string>{"         Serial/Comment: Größe und mehr",
                                        "         Firmware ID:        far"}));
}

TEST(ReportLayout, FontAndChartPlace) {
    EXPECT_EQ(reportFontFamily({}), "Courier New");
    EXPECT_EQ(reportFontFamily({"Arial", "Monospac821 BT Bold"}), "Courier New");
    EXPECT_EQ(reportFontFamily({"Arial", "MONOSPAC821 bt"}), "Monospac821 BT");

    // Letter landscape, the whole sheet: at 600 dpi, and at 90 dpi where halves go even.
    EXPECT_EQ(chartRect(15840, 12240, 2.4, 2.4), (PixelRect{0, 417, 6600, 4683}));
    EXPECT_EQ(chartRect(15840, 12240, 16, 16), (PixelRect{0, 62, 990, 702}));
}
