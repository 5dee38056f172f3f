// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/drag_rules.h"

#include "table/numbers.h"

#include <cmath>

namespace kv::drag {

int toPixels(double position, double unitsPerPixel) {
    const double px = roundHalfEven(position / unitsPerPixel);
    // Far outside any screen; keeps the conversion defined for any input.
    constexpr double kLimit = 1 << 24;
    if (!(px > -kLimit)) return -(1 << 24);
    if (!(px < kLimit)) return 1 << 24;
    return static_cast<int>(px);
}

PickResult pickNearest(const std::function<PixelPos(int, int)>& positionOf, PixelPos pointer,
                       bool inPlotArea) {
    PickResult best;
    best.region = inPlotArea ? kRegionPlotArea : kRegionOutsidePlot;
    for (int s = 1; s <= kCurves; ++s) {
        for (int p = 1; p <= kPoints; ++p) {
            const PixelPos at = positionOf(s, p);
            const double d = std::hypot(at.x - pointer.x, at.y - pointer.y);
            if (d < best.distance) {
                best.series = s;
                best.point = p;
                best.distance = d;
            }
        }
    }
    return best;
}

bool pickCounts(const PickResult& pick) {
    return pick.region == kRegionPlotArea && pick.series >= 1 && pick.point >= 1 &&
           pick.distance < kPickRadiusPx;
}

double movedValue(double startValue, int startY, int y) {
    const double dy = static_cast<double>(startY) - static_cast<double>(y);
    return roundHalfEven(5.0 * startValue + 0.5 * dy) * 0.2;
}

double clampDragged(double v, bool exLimited, double exMax) {
    if (exLimited && v > exMax) v = exMax;
    // A value that is not a number (never produced by the program's own readers) is
    // put at the floor rather than written into the table.
    if (std::isnan(v) || v < kLowest) v = kLowest;
    if (v > kHighest) v = kHighest;
    return v;
}

double draggedValue(const ProgramState& state, int series, int point, double startValue, int startY,
                    int y) {
    return clampDragged(movedValue(startValue, startY, y), state.exLimited(),
                        state.ExMaxTable(point, series));
}

} // namespace kv::drag
