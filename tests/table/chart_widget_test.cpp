// SPDX-License-Identifier: GPL-3.0-or-later
// The advance chart shown offscreen, with mouse events sent to its viewport the way the
// window system delivers them.
#include "support/test_files.h"
#include "table/numbers.h"
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QLineSeries>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>
#include <gtest/gtest.h>

using namespace kv;

namespace {

const std::string kHead = "Kestrel Vanta chart template 1\n";

// A shown chart over a table whose curves lie well apart.
class ChartWidget : public ::testing::Test {
protected:
    void SetUp() override {
        for (int p = 1; p <= kPoints; ++p) {
            state.live.values(p, kWot) = 12.0 + p;
            state.live.values(p, kLow) = 4.0 + 0.5 * p;
        }
        CopyChartToGrid(state);
        chart.resize(900, 600);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }
    // Sets one value and its grid text, then redraws, as a whole-table load would.
    void put(int series, int point, double v, const std::string& text) {
        state.live.values(point, series) = v;
        state.live.setText(rowOfSeries(series), point, text);
        chart.refresh();
    }
    QPoint at(int series, int point) const { return chart.pointPosition(series, point).toPoint(); }
    QLineSeries* series(int s) const {
        return qobject_cast<QLineSeries*>(chart.chart()->series().at(s - 1));
    }
    QValueAxis* axis(Qt::Orientation o) const {
        return qobject_cast<QValueAxis*>(chart.chart()->axes(o).value(0));
    }
    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers keys = {}) {
        QMouseEvent ev(type, QPointF(pos), QPointF(chart.viewport()->mapToGlobal(pos)), button,
                       held, keys);
        QApplication::sendEvent(chart.viewport(), &ev);
    }
    void press(QPoint pos, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers k = {}) {
        send(QEvent::MouseButtonPress, pos, b, b, k);
    }
    void move(QPoint pos, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers k = {}) {
        send(QEvent::MouseMove, pos, Qt::NoButton, held, k);
    }
    void release(QPoint pos, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers k = {}) {
        send(QEvent::MouseButtonRelease, pos, b, Qt::NoButton, k);
    }
    // Presses on a point, moves `dy` pixels down and releases there. Gives the value
    // while the button was held; `labelDuring` keeps the label of that moment.
    double drag(int s, int point, int dy) {
        const QPoint p = at(s, point);
        press(p);
        move(p + QPoint(0, dy));
        const double during = chart.value(s, point);
        labelDuring = chart.valueLabelText();
        release(p + QPoint(0, dy));
        return during;
    }

    ProgramState state;
    AdvanceChart chart{state};
    QSignalSpy cellRequests{&chart, &AdvanceChart::currentCellRequested};
    QSignalSpy gridWrites{&chart, &AdvanceChart::gridTextWritten};
    QString labelDuring;
};

} // namespace

TEST_F(ChartWidget, DragStepsInHalvesToEvenAndTheGridWaitsForTheRelease) {
    put(kWot, 5, 10.0, "10"); // as typed: only the release may rewrite it
    const QPoint start = at(kWot, 5);
    press(start);
    EXPECT_EQ(cellRequests.value(0), (QVariantList{2, 5})); // WOT is grid row 2
    EXPECT_EQ(chart.valueLabelText(), "10.0");
    const char* steps[] = {"10.0", "10.2", "10.4", "10.4", "10.4", "10.6"};
    for (int up = 1; up <= 6; ++up) {
        move(start - QPoint(0, up));
        EXPECT_EQ(chart.valueLabelText(), steps[up - 1]) << up;
        EXPECT_DOUBLE_EQ(series(kWot)->at(4).y(), std::stod(steps[up - 1])) << up;
        EXPECT_EQ(state.live.text(2, 5) + std::to_string(gridWrites.count()), "100") << up;
    }
    EXPECT_TRUE(chart.valueLabelVisible());
    // A key held at the release still hands the value to the grid.
    release(start - QPoint(0, 6), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(state.live.text(2, 5), "10.6");
    EXPECT_EQ(gridWrites.value(0), (QVariantList{2, 5}));
    EXPECT_FALSE(chart.valueLabelVisible());
    EXPECT_DOUBLE_EQ(chart.value(kLow, 5), 6.5); // only the dragged point moved

    // The selection outlives the drag, but moves only after a press of its own: not under
    // a shifted press elsewhere with the button then held without the key.
    const QPoint empty = at(kWot, 12) - QPoint(0, 60);
    press(empty, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(chart.dragState().DragSeries * 100 + chart.dragState().DragPoint, kWot * 100 + 5);
    move(empty - QPoint(0, 50));
    release(empty - QPoint(0, 50));
    EXPECT_DOUBLE_EQ(chart.value(kWot, 5), 10.6);
    EXPECT_EQ(gridWrites.count(), 1);
}

TEST_F(ChartWidget, DragStopsAtTheLimitOfTheDraggedCell) {
    state.ExMaxTable(8, kWot) = 32.0;
    state.ExMaxTable(8, kLow) = 15.0;
    for (const char* type : {"EX", "TEX"}) {
        state.TableType = type;
        put(kWot, 8, 30.0, "30.0");
        EXPECT_EQ(drag(kWot, 8, -200), 32.0) << type;
        EXPECT_EQ(labelDuring + " " + QString::fromStdString(state.live.text(2, 8)), "32.0 32.0");
    }
    EXPECT_EQ(drag(kLow, 8, -200), 15.0);
    state.TableType = "RACE"; // ExMaxTable no longer applies
    EXPECT_EQ(drag(kWot, 8, -200), 40.0);
    EXPECT_EQ(drag(kLow, 1, 400), 0.0); // far below the axis
}

TEST_F(ChartWidget, PressesThatPickNothingAndDoubleClicksMoveNothing) {
    const QPoint p = at(kWot, 9); // 21.0, the Low curve lies far below
    const std::tuple<QPoint, Qt::MouseButton, Qt::KeyboardModifiers> presses[] = {
        {p - QPoint(0, 16), Qt::LeftButton, {}},
        {p + QPoint(16, 0), Qt::LeftButton, {}},
        {p, Qt::LeftButton, Qt::ShiftModifier},
        {p, Qt::LeftButton, Qt::ControlModifier},
        {p, Qt::LeftButton, Qt::AltModifier},
        {p, Qt::RightButton, {}},
        {QPoint(chart.width() / 2, 4), Qt::LeftButton, {}}}; // the header band
    for (const auto& [where, b, k] : presses) {
        press(where, b, k);
        move(where - QPoint(0, 30), b, k);
        move(where - QPoint(0, 40)); // left alone from here on
        release(where - QPoint(0, 40), b, k);
    }
    EXPECT_EQ(chart.value(kWot, 9), 21.0);
    EXPECT_EQ(cellRequests.count() + gridWrites.count() + chart.dragState().DragSeries, 0);
    EXPECT_FALSE(chart.valueLabelVisible());
    // Points drawn on the edge of the plotting area: just outside it does not count.
    put(kLow, 8, 0.0, "0.0");
    EXPECT_NE(chart.pick(at(kLow, 8) + QPoint(0, 3)).region, drag::kRegionPlotArea);

    // The window system's order: press, release, press, double-click, release.
    put(kWot, 7, 19.3, "19.3");
    const QPoint q = at(kWot, 7);
    press(q);
    release(q);
    press(q);
    send(QEvent::MouseButtonDblClick, q, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(chart.valueLabelVisible());
    move(q - QPoint(0, 30));
    press(at(kLow, 2)); // ignored while suppressed
    release(q - QPoint(0, 30));
    EXPECT_EQ(chart.value(kWot, 7), 19.3);
    EXPECT_EQ(chart.dragState().DragPoint, 7);
    EXPECT_EQ(gridWrites.count(), 1); // the first click's release only
    EXPECT_EQ(state.live.text(2, 7), "19.3");
    EXPECT_DOUBLE_EQ(drag(kWot, 7, -2), 19.6); // afterwards dragging works as before
}

TEST_F(ChartWidget, TemplatesStartFromTheDesignedLookAndAFailureKeepsTheLook) {
    EXPECT_EQ(chart.chart()->title() + axis(Qt::Horizontal)->titleText() + series(2)->name(),
              "Advance CurvesRPMLow MAP");
    test::TempDir dir;
    test::writeAll(dir.file("custom"), kHead + "header = Custom\ny.range = 0 50\n"
                                               "series2.legend = Low\ny.decimals = 1\n");
    QString error;
    ASSERT_TRUE(chart.loadTemplate(QString::fromStdString(dir.file("custom")), &error))
        << error.toStdString();
    EXPECT_EQ(chart.chart()->title() + series(2)->name() + series(1)->name(), "CustomLowWOT");
    EXPECT_EQ(axis(Qt::Vertical)->labelFormat() + QString::number(axis(Qt::Vertical)->max()),
              "%.1f50");

    test::writeAll(dir.file("half"), kHead + "header = Half\nx.range = 1 0\n");
    for (const std::string& path : {dir.file("absent"), dir.path().string(), dir.file("half")}) {
        error.clear();
        EXPECT_FALSE(chart.loadTemplate(QString::fromStdString(path), &error)) << path;
        EXPECT_FALSE(error.isEmpty()) << path;
        EXPECT_EQ(chart.chart()->title(), "Custom") << path;
        EXPECT_EQ(axis(Qt::Vertical)->max(), 50) << path;
    }
    test::writeAll(dir.file("other"), kHead + "x.title = Engine speed\n");
    ASSERT_TRUE(chart.loadTemplate(QString::fromStdString(dir.file("other"))));
    EXPECT_EQ(chart.chart()->title() + axis(Qt::Horizontal)->titleText() + series(2)->name(),
              "Advance CurvesEngine speedLow MAP");
}

TEST_F(ChartWidget, CurvesFollowTheStoreAndABatchDrawsOnceAtItsEnd) {
    for (int p = 1; p <= kPoints; ++p)
        state.live.values(p, kWot) = 20.0 + 0.25 * p; // values off the one-decimal grid
    chart.refresh();
    for (int p = 1; p <= kPoints; ++p) {
        EXPECT_EQ(series(kWot)->at(p - 1), QPointF((p - 1) * 500.0, 20.0 + 0.25 * p));
        EXPECT_EQ(series(kLow)->at(p - 1), QPointF((p - 1) * 500.0, 4.0 + 0.5 * p));
    }
    // Points outside the table read as nothing and write nowhere.
    const Table16x2 before = state.live.values;
    chart.setValue(0, 1, 5.0);
    chart.setValue(1, 17, 5.0);
    EXPECT_EQ(chart.value(3, 1), 0.0);
    EXPECT_EQ(state.live.values, before);

    QSignalSpy redraws(series(kLow), &QXYSeries::pointsReplaced);
    {
        AdvanceChart::Batch outer(chart);
        AdvanceChart::Batch inner(chart);
        for (int p = 1; p <= kPoints; ++p)
            chart.setValue(kLow, p, 1.0 * p);
        EXPECT_EQ(redraws.count(), 0);
        EXPECT_EQ(chart.value(kLow, 3), 3.0); // the store is current inside a batch
    }
    EXPECT_EQ(redraws.count(), 1);
    EXPECT_EQ(series(kLow)->at(15).y(), 16.0);
    chart.setValue(kLow, 1, 7.0); // outside a batch: drawn at once
    EXPECT_EQ(redraws.count(), 2);
}
