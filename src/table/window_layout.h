// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace kv {

// Geometry in twips, 1440 to the inch.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct WindowLayout {
    TwipRect chart;
    TwipRect grid;
};

// The chart takes the upper 70 % of the window; the grid the rest less room for the
// window's borders. W and H are the window's outer width and height in twips.
[[nodiscard]] WindowLayout layoutFor(double W, double H);

// Rows and columns that fill the grid's inner area: 3 rows and 17 columns.
[[nodiscard]] int gridRowHeight(int innerHeightTwips);
[[nodiscard]] int gridColumnWidth(int innerWidthTwips);

// Twips per pixel at a logical resolution in dots per inch (15 at 96 dpi).
[[nodiscard]] constexpr double twipsPerPixel(double dpi) {
    return 1440.0 / dpi;
}

} // namespace kv
