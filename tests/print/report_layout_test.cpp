// SPDX-License-Identifier: GPL-3.0-or-later
#include "print/report_layout.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

// The lines as a monospaced printer puts them on paper, without trailing blanks.
std::vector<std::string> paper(const std::vector<ReportLine>& lines) {
    std::vector<std::string> out;
    for (const ReportLine& line : lines) {
        std::string s;
        for (const ReportItem& item : line)
            s.resize(std::size_t(item.column - 1), ' '), s += item.text;
        out.push_back(s.substr(0, s.find_last_not_of(' ') + 1));
    }
    return out;
}

const std::string kHeading =
    "         Orvane Vanta Ignition Module Data Printed: 12/6/2026 9:41:07 PM";

} // namespace

TEST(ReportLayout, DataPageLinesInOrderAtTheirColumns) {
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
    in.comment = "SN 0042";
    in.FirmwareID = "VANTA 8.1 EX";
    in.params = test::kParams;
    // clang-format off
    const std::vector<std::string> expected = {
        kHeading, "", "         Serial/Comment: SN 0042", "", "         Advance Table", "",
        "         MAP/RPM 0       500     1000    1500    2000    2500    3000    3500    4000    "
        "4500    5000    5500    6000    6500    7000    7500",
        "         Low     11.0    12.0    13.0    14.0    15.0    16.0    17.0    18.0    19.0    "
        "20.0    21.0    22.0    23.0    24.0    25.0    12345678",
        "         WOT     20.5    21.0    21.5    22.0    22.5    23.0    23.5    24.0    24.5    "
        "25.0    25.5    26.0    26.5    27.0    27.5    28.12345",
        "", "", "         Firmware ID:        VANTA 8.1 EX", "",
        "         Cranking Revs:                 3",
        "         Rear Cylinder Offset (Deg):   -3.0",
        "         Retard (Deg):                 7.0",
        "         Fixed RPM Limit:              6200", "",
        "         Kick Start Mode Enabled:      False",
        "         Retard Feature Enabled:       True",
        "         Fixed RPM Limit Enabled:      True",
        "         Select EEPROM Advance Table:  False"};
    // clang-format on
    EXPECT_EQ(paper(dataPageLines(in)), expected);
    EXPECT_EQ(paper(chartPageLines(in)), (std::vector<std::string>{kHeading, expected[2]}));

    // Kick start: no cranking line. No comment: no comment line on either page.
    in.params = test::kOtherParams;
    in.comment.clear();
    std::vector<std::string> want = expected;
    want[14] = "         Rear Cylinder Offset (Deg):   4.0";
    want[15] = "         Retard (Deg):                 2.0";
    want[16] = "         Fixed RPM Limit:              8100";
    want[18] = "         Kick Start Mode Enabled:      True";
    want[20] = "         Fixed RPM Limit Enabled:      False";
    want.erase(want.begin() + 13);
    want.erase(want.begin() + 2);
    EXPECT_EQ(paper(dataPageLines(in)), want);
    EXPECT_EQ(paper(chartPageLines(in)), std::vector{kHeading});
}

TEST(ReportLayout, LinesCutByCharactersFontAndChartPlace) {
    const std::vector<ReportLine> lines = {{{10, "Serial/Comment: Größe\tund\nmehr"}},
                                           {{10, "Firmware ID:"}, {30, "far"}}};
    EXPECT_EQ(paper(fitToColumns(lines, 29)),
              (std::vector<std::string>{"         Serial/Comment: Größ", "         Firmware ID:"}));
    EXPECT_EQ(paper(fitToColumns(lines, 100)),
              (std::vector<std::string>{"         Serial/Comment: Größe und mehr",
                                        "         Firmware ID:        far"}));
    EXPECT_EQ(reportFontFamily({"Arial", "Monospac821 BT Bold"}), "Courier New");
    EXPECT_EQ(reportFontFamily({"Arial", "MONOSPAC821 bt"}), "Monospac821 BT");
    // Letter landscape, the whole sheet: at 600 dpi, and at 90 dpi where halves go even.
    EXPECT_EQ(chartRect(15840, 12240, 2.4, 2.4), (PixelRect{0, 417, 6600, 4683}));
    EXPECT_EQ(chartRect(15840, 12240, 16, 16), (PixelRect{0, 62, 990, 702}));
}
