// SPDX-License-Identifier: GPL-3.0-or-later
// The advance chart shown offscreen, with mouse events sent to its viewport the way the
// window system delivers them.
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QLineSeries>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;

namespace {

constexpr auto kPress = QEvent::MouseButtonPress, kMove = QEvent::MouseMove,
               kRelease = QEvent::MouseButtonRelease, kDouble = QEvent::MouseButtonDblClick;

// A shown chart over curves that lie well apart: WOT 12 + p, Low 4 + p / 2.
class ChartWidget : public ::testing::Test {
protected:
    void SetUp() override {
        for (int p = 1; p <= kPoints; ++p)
            state.live.values(p, kWot) = 12.0 + p, state.live.values(p, kLow) = 4.0 + 0.5 * p;
        CopyChartToGrid(state);
        chart.refresh();
        chart.resize(900, 600);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }
    QPoint at(int series, int point) const { return chart.pointPosition(series, point).toPoint(); }
    void mouse(QEvent::Type t, QPoint pos, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers k = {}) {
        const Qt::MouseButtons held = t == kRelease ? Qt::NoButton : Qt::MouseButtons(b);
        QMouseEvent ev(t, QPointF(pos), QPointF(chart.viewport()->mapToGlobal(pos)),
                       t == kMove ? Qt::NoButton : b, held, k);
        QApplication::sendEvent(chart.viewport(), &ev);
    }

    ProgramState state;
    AdvanceChart chart{state};
    QSignalSpy cellRequests{&chart, &AdvanceChart::currentCellRequested};
    QSignalSpy gridWrites{&chart, &AdvanceChart::gridTextWritten};
};

} // namespace

TEST_F(ChartWidget, DragStepsInHalvesToEvenAndTheGridWaitsForTheRelease) {
    state.live.setText(2, 4, "16"); // as typed: only the release may rewrite it
    const QPoint start = at(kWot, 4);
    mouse(kPress, start);
    EXPECT_EQ(cellRequests.value(0), (QVariantList{2, 4})); // WOT is grid row 2
    const char* steps[] = {"16.0", "16.0", "16.2", "16.4", "16.4", "16.4", "16.6"};
    for (int up = 0; up <= 6; ++up) {
        mouse(kMove, start - QPoint(0, up));
        EXPECT_EQ(chart.valueLabelText(), steps[up]) << up;
        auto* curve = qobject_cast<QLineSeries*>(chart.chart()->series().at(kWot - 1));
        EXPECT_DOUBLE_EQ(curve->at(3).y(), std::stod(steps[up])) << up;
        EXPECT_EQ(state.live.text(2, 4) + std::to_string(gridWrites.count()), "160") << up;
    }
    EXPECT_TRUE(chart.valueLabelVisible());
    // A key held at the release still hands the value to the grid.
    mouse(kRelease, start - QPoint(0, 6), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(state.live.text(2, 4) + " " + state.live.text(1, 4), "16.6 6.0");
    EXPECT_EQ(gridWrites.value(0), (QVariantList{2, 4}));
    EXPECT_FALSE(chart.valueLabelVisible());

    // The selection moves only after a press of its own: not under presses that pick
    // nothing, nor while the key of a shifted press is let go with the button held.
    const QPoint p = at(kWot, 9); // 21.0, the Low curve lies far below
    // Too far from a point, on the header band, with a key held, or with the right button.
    // clang-format off
    const std::tuple<QPoint, Qt::MouseButton, Qt::KeyboardModifiers> presses[] = {
        {p - QPoint(0, 16), Qt::LeftButton, {}}, {QPoint(chart.width() / 2, 4), Qt::LeftButton, {}},
        {p, Qt::LeftButton, Qt::ShiftModifier},  {p, Qt::LeftButton, Qt::ControlModifier},
        {p, Qt::LeftButton, Qt::AltModifier},    {p, Qt::RightButton, {}}};
    // clang-format on
    for (const auto& [where, b, k] : presses) {
        mouse(kPress, where, b, k);
        mouse(kMove, where - QPoint(0, 30), b, k);
        mouse(kMove, where - QPoint(0, 40));
        mouse(kRelease, where - QPoint(0, 40), b, k);
    }
    EXPECT_EQ(chart.value(kWot, 9) + chart.value(kWot, 4), 21.0 + 16.6);
    EXPECT_EQ(cellRequests.count() + gridWrites.count(), 2);
}

TEST_F(ChartWidget, ADoubleClickMovesNothing) {
    // The window system's order: press, release, press, double-click, release. A press
    // elsewhere while the double-click holds changes nothing either.
    const QPoint q = at(kWot, 7);
    for (const auto t : {kPress, kRelease, kPress, kDouble})
        mouse(t, q);
    mouse(kMove, q - QPoint(0, 30));
    mouse(kPress, at(kLow, 2));
    mouse(kRelease, q - QPoint(0, 30));
    // Only the first click's release wrote to the grid.
    EXPECT_TRUE(chart.value(kWot, 7) == 19.0 && gridWrites.count() == 1);
    EXPECT_FALSE(chart.valueLabelVisible());
    mouse(kPress, q); // afterwards dragging works as before
    mouse(kMove, q - QPoint(0, 2));
    EXPECT_EQ(chart.valueLabelText(), "19.2");
}
