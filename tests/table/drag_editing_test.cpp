// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_widget_fixture.h"

#include <QSignalSpy>

using namespace kv;
using kv::test::ChartWidgetTest;

using DragEditing = ChartWidgetTest;

TEST_F(DragEditing, MovingUpStepsInHalvesToEvenAndTheGridWaitsForTheRelease) {
    put(kWot, 5, 10.0, "10"); // as typed: only the release may rewrite it
    QSignalSpy cellRequests(chart.get(), &AdvanceChart::currentCellRequested);
    QSignalSpy gridWrites(chart.get(), &AdvanceChart::gridTextWritten);
    const QPoint start = at(kWot, 5);

    press(start);
    ASSERT_EQ(cellRequests.count(), 1);
    EXPECT_EQ(cellRequests.at(0).at(0).toInt(), 2); // WOT is grid row 2
    EXPECT_EQ(cellRequests.at(0).at(1).toInt(), 5);
    EXPECT_TRUE(chart->valueLabelVisible());
    EXPECT_EQ(chart->valueLabelText(), "10.0");
    EXPECT_EQ(chart->valueLabelSeries(), kWot);
    EXPECT_EQ(chart->valueLabelPoint(), 5);

    const double expected[] = {10.0, 10.2, 10.4, 10.4, 10.4, 10.6};
    const char* labels[] = {"10.0", "10.2", "10.4", "10.4", "10.4", "10.6"};
    for (int up = 1; up <= 6; ++up) {
        move(start - QPoint(0, up));
        EXPECT_DOUBLE_EQ(chart->value(kWot, 5), expected[up - 1]) << up;
        EXPECT_DOUBLE_EQ(series(kWot)->at(4).y(), expected[up - 1]) << up;
        EXPECT_EQ(chart->valueLabelText(), labels[up - 1]) << up;
        EXPECT_EQ(state.live.text(2, 5), "10") << up;
        EXPECT_EQ(gridWrites.count(), 0);
    }
    release(start - QPoint(0, 6));
    EXPECT_EQ(state.live.text(2, 5), "10.6");
    ASSERT_EQ(gridWrites.count(), 1);
    EXPECT_EQ(gridWrites.at(0).at(0).toInt(), 2);
    EXPECT_EQ(gridWrites.at(0).at(1).toInt(), 5);
    EXPECT_FALSE(chart->valueLabelVisible());
    // The selection outlives the drag.
    EXPECT_EQ(chart->dragState().DragSeries, kWot);
    EXPECT_EQ(chart->dragState().DragPoint, 5);
    // Only the dragged cell changed.
    EXPECT_EQ(state.live.text(1, 5), format1(6.5));
    EXPECT_DOUBLE_EQ(chart->value(kLow, 5), 6.5);
}

TEST_F(DragEditing, ValuesStopAtTheLimits) {
    put(kWot, 16, 38.0, "38.0");
    EXPECT_EQ(drag(kWot, 16, -100), 40.0);
    EXPECT_EQ(state.live.text(2, 16), "40.0");
    EXPECT_EQ(drag(kLow, 1, 400), 0.0); // far below the axis
    EXPECT_EQ(state.live.text(1, 1), "0.0");

    state.ExMaxTable(8, kWot) = 32.0;
    state.ExMaxTable(8, kLow) = 15.0;
    for (const char* type : {"EX", "TEX"}) {
        state.TableType = type;
        put(kWot, 8, 30.0, "30.0");
        EXPECT_EQ(drag(kWot, 8, -200), 32.0) << type;
        EXPECT_EQ(labelDuring, "32.0") << type;
        EXPECT_EQ(state.live.text(2, 8), "32.0") << type;
    }
    // The limit of the dragged cell, not of its neighbour on the other curve.
    EXPECT_EQ(drag(kLow, 8, -200), 15.0);
    state.TableType = "RACE"; // ExMaxTable no longer applies
    EXPECT_EQ(drag(kWot, 8, -200), 40.0);
}

TEST_F(DragEditing, PressesThatPickNothingChangeNothing) {
    QSignalSpy cellRequests(chart.get(), &AdvanceChart::currentCellRequested);
    QSignalSpy gridWrites(chart.get(), &AdvanceChart::gridTextWritten);
    const QPoint p = at(kWot, 9); // 21.0, the Low curve lies far below
    const auto tryDrag = [&](QPoint where, Qt::MouseButton b, Qt::KeyboardModifiers k) {
        press(where, b, k);
        move(where - QPoint(0, 30), b, k);
        move(where - QPoint(0, 40)); // left alone from here on
        release(where - QPoint(0, 40), b, k);
    };
    tryDrag(p - QPoint(0, 16), Qt::LeftButton, {});
    tryDrag(p + QPoint(16, 0), Qt::LeftButton, {});
    tryDrag(p, Qt::LeftButton, Qt::ShiftModifier);
    tryDrag(p, Qt::LeftButton, Qt::ControlModifier);
    tryDrag(p, Qt::LeftButton, Qt::AltModifier);
    tryDrag(p, Qt::RightButton, {});
    EXPECT_EQ(chart->value(kWot, 9), 21.0);
    EXPECT_EQ(cellRequests.count(), 0);
    EXPECT_EQ(gridWrites.count(), 0);
    EXPECT_FALSE(chart->valueLabelVisible());
    EXPECT_EQ(chart->dragState().DragSeries, 0);

    // Just inside the radius the same press counts.
    press(p - QPoint(0, 10));
    EXPECT_EQ(cellRequests.count(), 1);
    release(p - QPoint(0, 10));
}

TEST_F(DragEditing, AnEarlierSelectionNeverMovesWithoutItsOwnPress) {
    QSignalSpy gridWrites(chart.get(), &AdvanceChart::gridTextWritten);
    ASSERT_DOUBLE_EQ(drag(kWot, 4, -4), 16.4);
    ASSERT_EQ(gridWrites.count(), 1);

    // A shifted press elsewhere keeps the selection; the Shift key let go, the button
    // still held, the pointer moving: the old point must stay put and the grid too.
    const QPoint empty = at(kWot, 12) - QPoint(0, 60);
    press(empty, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(chart->dragState().DragSeries, kWot);
    move(empty - QPoint(0, 50));
    release(empty - QPoint(0, 50));
    EXPECT_DOUBLE_EQ(chart->value(kWot, 4), 16.4);
    EXPECT_EQ(gridWrites.count(), 1);
}

TEST_F(DragEditing, ReleasingWithAKeyHeldStillHandsTheValueToTheGrid) {
    QSignalSpy gridWrites(chart.get(), &AdvanceChart::gridTextWritten);
    const QPoint p = at(kLow, 6);
    press(p);
    move(p - QPoint(0, 20));
    release(p - QPoint(0, 20), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(chart->value(kLow, 6), 9.0);
    EXPECT_EQ(state.live.text(1, 6), "9.0"); // the Low curve is grid row 1
    ASSERT_EQ(gridWrites.count(), 1);
    EXPECT_EQ(gridWrites.at(0).at(0).toInt(), 1);
    EXPECT_DOUBLE_EQ(chart->value(kWot, 6), 18.0); // the other curve stays
    EXPECT_FALSE(chart->valueLabelVisible());
}

TEST_F(DragEditing, DoubleClickMovesNothing) {
    put(kWot, 7, 19.3, "19.3");
    QSignalSpy gridWrites(chart.get(), &AdvanceChart::gridTextWritten);
    const QPoint p = at(kWot, 7);
    // The window system's order: press, release, press, double-click, release.
    press(p);
    release(p);
    press(p);
    doubleClick(p);
    EXPECT_TRUE(chart->dragState().DragSuppressed);
    EXPECT_FALSE(chart->valueLabelVisible());
    move(p - QPoint(0, 30));
    press(at(kLow, 2)); // ignored while suppressed
    release(p - QPoint(0, 30));
    EXPECT_FALSE(chart->dragState().DragSuppressed);
    EXPECT_EQ(chart->value(kWot, 7), 19.3);
    EXPECT_EQ(chart->dragState().DragPoint, 7);
    EXPECT_EQ(gridWrites.count(), 1); // the first click's release only
    EXPECT_EQ(state.live.text(2, 7), "19.3");

    // Afterwards dragging works as before.
    EXPECT_DOUBLE_EQ(drag(kWot, 7, -2), 19.6);
}

TEST_F(DragEditing, EachMoveRedrawsTheCurveOnce) {
    QSignalSpy redraws(series(kWot), &QXYSeries::pointsReplaced);
    const QPoint p = at(kWot, 10);
    press(p);
    EXPECT_EQ(redraws.count(), 0); // picking draws no curve
    for (int i = 1; i <= 5; ++i)
        move(p - QPoint(0, 2 * i));
    EXPECT_EQ(redraws.count(), 5);
    release(p - QPoint(0, 10));
}
