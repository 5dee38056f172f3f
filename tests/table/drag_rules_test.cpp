// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/drag_rules.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace kv;
using namespace kv::drag;

TEST(DragRules, PixelConversionTakesHalvesToEven) {
    EXPECT_EQ(toPixels(10.5), 10);
    EXPECT_EQ(toPixels(11.5), 12);
    EXPECT_EQ(toPixels(-2.5), -2);
    EXPECT_EQ(toPixels(7.49), 7);
    // Twips at 15 per pixel: 22.5 is 1.5 px, 37.5 is 2.5 px.
    EXPECT_EQ(toPixels(22.5, 15), 2);
    EXPECT_EQ(toPixels(37.5, 15), 2);
    EXPECT_EQ(toPixels(1440, 15), 96);
    // Nonsense positions still give a whole number rather than undefined behaviour.
    EXPECT_LT(toPixels(-1e300), -1000000);
    EXPECT_GT(toPixels(1e300), 1000000);
    (void)toPixels(std::nan(""));
}

TEST(DragRules, MoveStepsAreTwoPixelsPerStepWithHalvesToEven) {
    // The drag from 10.0 up one to six pixels goes through the chart widget's tests.
    EXPECT_DOUBLE_EQ(movedValue(10.0, 300, 300), 10.0);
    EXPECT_DOUBLE_EQ(movedValue(10.0, 300, 297), 10.4); // 51.5 -> 52
    EXPECT_DOUBLE_EQ(movedValue(10.0, 300, 295), 10.4); // 52.5 -> 52
    EXPECT_DOUBLE_EQ(movedValue(10.0, 300, 310), 9.0);  // down 10 px: one degree less
    // Off the 0.2 grid: snapped even without moving.
    EXPECT_DOUBLE_EQ(movedValue(10.3, 300, 300), 10.4);
    EXPECT_DOUBLE_EQ(movedValue(10.1, 300, 300), 10.0);
    EXPECT_DOUBLE_EQ(movedValue(10.15, 300, 300), 10.2);
}

TEST(DragRules, LimitsApplyExFirstThenTheRange) {
    EXPECT_EQ(clampDragged(41.0, false, 0.0), 40.0); // RACE: ExMaxTable means nothing
    EXPECT_EQ(clampDragged(-0.2, false, 0.0), 0.0);
    EXPECT_EQ(clampDragged(33.0, true, 32.0), 32.0);
    EXPECT_EQ(clampDragged(31.8, true, 32.0), 31.8);
    EXPECT_EQ(clampDragged(44.0, true, 42.0), 40.0); // a limit above 40: the range wins
    EXPECT_EQ(clampDragged(5.0, true, -3.0), 0.0);   // a limit below 0: the floor wins
    EXPECT_EQ(clampDragged(std::nan(""), false, 0), 0.0);
    EXPECT_EQ(clampDragged(INFINITY, false, 0), 40.0);
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
