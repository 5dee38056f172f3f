// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <string>
#include <vector>

namespace kv {

// The printed report as text: lines of items, each item starting at a character column
// of the report's monospaced font (column 1 at the left edge). An empty line has no items.
struct ReportItem {
    int column = 1;
    std::string text;
    bool operator==(const ReportItem&) const = default;
};
using ReportLine = std::vector<ReportItem>;

// What the report reads, gathered by the caller.
struct ReportInput {
    std::string shortName; // the maker's short name, first of the branding's contact lines
    std::string printedAt; // the date and time of printing, as the system formats it
    std::string comment;   // "" when none was given
    std::array<std::array<std::string, kGridCols>, kGridRows> grid; // every cell text
    ModuleParameters params;
    std::string FirmwareID;
};

[[nodiscard]] ReportInput reportInputFrom(const ProgramState& s);

// Heading and, with a comment, the comment line: the top of the chart page.
[[nodiscard]] std::vector<ReportLine> chartPageLines(const ReportInput& in);
// The data page, line by line from its first line.
[[nodiscard]] std::vector<ReportLine> dataPageLines(const ReportInput& in);

// Cuts every item so that no line reaches past `columns` characters, counted as
// characters rather than bytes; control characters become blanks so that nothing can
// break a line in two.
[[nodiscard]] std::vector<ReportLine> fitToColumns(std::vector<ReportLine> lines, int columns);

// "Monospac821 BT" when one of the font families equals it in any letter case, else
// "Courier New".
[[nodiscard]] std::string reportFontFamily(const std::vector<std::string>& families);

// Page geometry, in twips from the top of the printable area.
inline constexpr int kReportPointSize = 8;
inline constexpr int kChartHeadingTop = 500;
inline constexpr int kChartTop = 1000;
inline constexpr int kDataTop = 2000;

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};
// Where the chart goes on its page, in device pixels: from 1000 twips down to the foot of
// the page and across its whole width, each side rounded half to even.
[[nodiscard]] PixelRect chartRect(double pageWidthTwips, double pageHeightTwips,
                                  double twipsPerPixelX, double twipsPerPixelY);

} // namespace kv
