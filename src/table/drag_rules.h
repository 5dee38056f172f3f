// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <functional>
#include <limits>

namespace kv {

// What the chart keeps between the events of one drag. Series and point stay set after
// a drag ends; only the next left-button press on the chart changes them.
struct DragState {
    int DragSeries = 0;          // series of the picked point, 0 when none
    int DragPoint = 0;           // point of the picked point, 0 when none
    int DragStartY = 0;          // vertical pixel position at the last button press
    double DragStartValue = 0;   // value of the picked point when it was picked
    bool DragSuppressed = false; // from a double-click until the next button release
};

namespace drag {

// The pick region code of a position inside the chart's plotting area.
inline constexpr int kRegionPlotArea = -100;
// Any other position (titles, axes, legend, margins).
inline constexpr int kRegionOutsidePlot = 0;
// A pick counts only nearer than this to its point.
inline constexpr double kPickRadiusPx = 15.0;
inline constexpr double kLowest = 0.0;
inline constexpr double kHighest = 40.0;

// A pointer coordinate in whole pixels: `position / unitsPerPixel`, halves to even.
[[nodiscard]] int toPixels(double position, double unitsPerPixel = 1.0);

struct PixelPos {
    double x = 0;
    double y = 0;
};

struct PickResult {
    int series = 0;
    int point = 0;
    double distance = std::numeric_limits<double>::infinity();
    int region = kRegionOutsidePlot;
};

// The data point nearest to `pointer` over both series, by pixel distance; ties go to
// the lower series and point. `positionOf(series, point)` gives each point's pixels.
[[nodiscard]] PickResult pickNearest(const std::function<PixelPos(int, int)>& positionOf,
                                     PixelPos pointer, bool inPlotArea);

// In the plotting area, on a real point, and nearer than kPickRadiusPx.
[[nodiscard]] bool pickCounts(const PickResult& pick);

// The unclamped value after moving from startY to y: one 0.2-degree step per two
// pixels, from the start value taken onto that step grid, halves to even.
[[nodiscard]] double movedValue(double startValue, int startY, int y);

// The drag's limits: the cell's EX limit first (EX and TEX tables only), then 0..40.
[[nodiscard]] double clampDragged(double v, bool exLimited, double exMax);

// movedValue then clampDragged for (series, point) of the table in `state`.
[[nodiscard]] double draggedValue(const ProgramState& state, int series, int point,
                                  double startValue, int startY, int y);

} // namespace drag
} // namespace kv
