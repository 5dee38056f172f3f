// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/drag_rules.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace kv;
using namespace kv::drag;

TEST(DragRules, PixelConversionTakesHalvesToEven) {
    // In twips at 15 a pixel, 22.5 is 1.5 px and 37.5 is 2.5 px.
    const std::tuple<double, double, int> cases[] = {{10.5, 1, 10}, {11.5, 1, 12}, {-2.5, 1, -2},
                                                     {7.49, 1, 7},  {22.5, 15, 2}, {37.5, 15, 2},
                                                     {1440, 15, 96}};
    for (const auto& [pos, per, px] : cases)
        EXPECT_EQ(toPixels(pos, per), px) << pos << " / " << per;
    // Nonsense positions end at the limit rather than in undefined behaviour.
    EXPECT_EQ(toPixels(-1e300), -(1 << 24));
    EXPECT_EQ(toPixels(1e300), 1 << 24);
    EXPECT_EQ(toPixels(std::nan("")), -(1 << 24));
}

TEST(DragRules, MoveStepsAreTwoPixelsPerStepWithHalvesToEven) {
    // The drag from 10.0 up one to six pixels goes through the chart widget's tests.
    // Up 3 px: 51.5 -> 52; up 5: 52.5 -> 52; down 10: one degree less; values off the
    // 0.2 grid snap on the first move, even one that goes nowhere.
    const std::tuple<double, int, double> cases[] = {
        {10.0, 300, 10.0}, {10.0, 297, 10.4}, {10.0, 295, 10.4}, {10.0, 310, 9.0},
        {10.3, 300, 10.4}, {10.1, 300, 10.0}, {10.15, 300, 10.2}};
    for (const auto& [start, y, moved] : cases)
        EXPECT_DOUBLE_EQ(movedValue(start, 300, y), moved) << start << " to y " << y;
}

TEST(DragRules, LimitsApplyExFirstThenTheRange) {
    // RACE: ExMaxTable means nothing; a limit above 40 or below 0 yields to the range.
    const std::tuple<double, bool, double, double> cases[] = {
        {41.0, false, 0.0, 40.0},      {-0.2, false, 0.0, 0.0},   {33.0, true, 32.0, 32.0},
        {31.8, true, 32.0, 31.8},      {44.0, true, 42.0, 40.0},  {5.0, true, -3.0, 0.0},
        {std::nan(""), false, 0, 0.0}, {INFINITY, false, 0, 40.0}};
    for (const auto& [v, ex, limit, out] : cases)
        EXPECT_EQ(clampDragged(v, ex, limit), out) << v << " ex " << ex << " limit " << limit;
}

TEST(DragRules, PickFindsTheNearestPointOverBothSeries) {
    // Series 1 on y = 100, series 2 on y = 200, points 40 px apart.
    const auto layout = [](int s, int p) { return PixelPos{40.0 * p, 100.0 * s}; };
    auto hit = pickNearest(layout, {161, 190}, true);
    EXPECT_EQ(hit.series, 2);
    EXPECT_EQ(hit.point, 4);
    EXPECT_NEAR(hit.distance, std::hypot(1.0, 10.0), 1e-12);
    EXPECT_EQ(hit.region, kRegionPlotArea);
    EXPECT_TRUE(pickCounts(hit));

    hit = pickNearest(layout, {80, 150}, true); // equally far: the lower series
    EXPECT_EQ(hit.series, 1);
    EXPECT_EQ(hit.point, 2);

    // Two curves on the same value: the first series is taken.
    const auto same = [](int, int p) { return PixelPos{40.0 * p, 100.0}; };
    EXPECT_EQ(pickNearest(same, {120, 100}, true).series, 1);
}

TEST(DragRules, PickCountsOnlyNearInsideThePlotArea) {
    EXPECT_TRUE(pickCounts({1, 3, 14.999, kRegionPlotArea}));
    EXPECT_FALSE(pickCounts({1, 3, 15.0, kRegionPlotArea}));
    EXPECT_FALSE(pickCounts({1, 3, 2.0, kRegionOutsidePlot}));
    EXPECT_FALSE(pickCounts({0, 3, 2.0, kRegionPlotArea})); // no series
    EXPECT_FALSE(pickCounts({1, 0, 2.0, kRegionPlotArea})); // no point
}
