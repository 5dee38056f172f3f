// SPDX-License-Identifier: GPL-3.0-or-later
// The advance chart shown offscreen, with mouse events sent to its viewport the way the
// window system delivers them.
#include "support/test_files.h"
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

constexpr auto kPress = QEvent::MouseButtonPress, kMove = QEvent::MouseMove,
               kRelease = QEvent::MouseButtonRelease, kDouble = QEvent::MouseButtonDblClick;

// A shown chart over a table whose curves lie well apart.
class ChartWidget : public ::testing::Test {
protected:
    void SetUp() override {
        for (int p = 1; p <= kPoints; ++p)
            put(p, 12.0 + p, 4.0 + 0.5 * p);
        chart.resize(900, 600);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }
    // Sets both values of a point and their grid texts, as a whole-table load would.
    void put(int point, double wot, double low) {
        state.live.values(point, kWot) = wot;
        state.live.values(point, kLow) = low;
        CopyChartToGrid(state);
        chart.refresh();
    }
    QPoint at(int series, int point) const { return chart.pointPosition(series, point).toPoint(); }
    QLineSeries* series(int s) const {
        return qobject_cast<QLineSeries*>(chart.chart()->series().at(s - 1));
    }
    void mouse(QEvent::Type t, QPoint pos, Qt::MouseButton b = Qt::LeftButton,
               Qt::KeyboardModifiers k = {}) {
        const Qt::MouseButtons held = t == kRelease ? Qt::NoButton : Qt::MouseButtons(b);
        QMouseEvent ev(t, QPointF(pos), QPointF(chart.viewport()->mapToGlobal(pos)),
                       t == kMove ? Qt::NoButton : b, held, k);
        QApplication::sendEvent(chart.viewport(), &ev);
    }
    // Press, move and release; gives the value label while the button was held.
    QString drag(QPoint from, QPoint to) {
        mouse(kPress, from);
        mouse(kMove, to);
        const QString during = chart.valueLabelText();
        mouse(kRelease, to);
        return during;
    }

    ProgramState state;
    AdvanceChart chart{state};
    QSignalSpy cellRequests{&chart, &AdvanceChart::currentCellRequested};
    QSignalSpy gridWrites{&chart, &AdvanceChart::gridTextWritten};
};

} // namespace

TEST_F(ChartWidget, DragStepsInHalvesToEvenAndTheGridWaitsForTheRelease) {
    put(5, 10.0, 6.5);
    state.live.setText(2, 5, "10"); // as typed: only the release may rewrite it
    const QPoint start = at(kWot, 5);
    mouse(kPress, start);
    EXPECT_EQ(cellRequests.value(0), (QVariantList{2, 5})); // WOT is grid row 2
    const char* steps[] = {"10.0", "10.0", "10.2", "10.4", "10.4", "10.4", "10.6"};
    for (int up = 0; up <= 6; ++up) {
        mouse(kMove, start - QPoint(0, up));
        EXPECT_EQ(chart.valueLabelText(), steps[up]) << up;
        EXPECT_DOUBLE_EQ(series(kWot)->at(4).y(), std::stod(steps[up])) << up;
        EXPECT_EQ(state.live.text(2, 5) + std::to_string(gridWrites.count()), "100") << up;
    }
    EXPECT_TRUE(chart.valueLabelVisible());
    // A key held at the release still hands the value to the grid.
    mouse(kRelease, start - QPoint(0, 6), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(state.live.text(2, 5) + state.live.text(1, 5), "10.66.5");
    EXPECT_EQ(gridWrites.value(0), (QVariantList{2, 5}));
    EXPECT_FALSE(chart.valueLabelVisible());
}

TEST_F(ChartWidget, PressesThatPickNothingAndDoubleClicksMoveNothing) {
    drag(at(kWot, 4), at(kWot, 4)); // a selection, which moves only after a press of its own
    const QPoint p = at(kWot, 9);   // 21.0, the Low curve lies far below
    // clang-format off
    const std::tuple<QPoint, Qt::MouseButton, Qt::KeyboardModifiers> presses[] = {
        {p - QPoint(0, 16), Qt::LeftButton, {}},  {p + QPoint(16, 0), Qt::LeftButton, {}},
        {p, Qt::LeftButton, Qt::ShiftModifier},   {p, Qt::LeftButton, Qt::ControlModifier},
        {p, Qt::LeftButton, Qt::AltModifier},     {p, Qt::RightButton, {}},
        {QPoint(chart.width() / 2, 4), Qt::LeftButton, {}}}; // the header band
    // clang-format on
    for (const auto& [where, b, k] : presses) {
        mouse(kPress, where, b, k);
        mouse(kMove, where - QPoint(0, 30), b, k);
        mouse(kMove, where - QPoint(0, 40)); // the key let go, the left button held
        mouse(kRelease, where - QPoint(0, 40), b, k);
    }
    EXPECT_EQ(chart.value(kWot, 9) + chart.value(kWot, 4), 21.0 + 16.0);
    EXPECT_EQ(cellRequests.count() + gridWrites.count(), 2);
    EXPECT_FALSE(chart.valueLabelVisible());
    // Points drawn on the edge of the plotting area: just outside it does not count.
    put(8, 20.0, 0.0);
    EXPECT_NE(chart.pick(at(kLow, 8) + QPoint(0, 3)).region, drag::kRegionPlotArea);

    // The window system's order: press, release, press, double-click, release.
    const QPoint q = at(kWot, 7);
    drag(q, q);
    mouse(kPress, q);
    mouse(kDouble, q);
    EXPECT_FALSE(chart.valueLabelVisible());
    mouse(kMove, q - QPoint(0, 30));
    mouse(kPress, at(kLow, 2)); // ignored while suppressed
    mouse(kRelease, q - QPoint(0, 30));
    EXPECT_EQ(chart.value(kWot, 7), 19.0);
    EXPECT_EQ(gridWrites.count(), 2);             // the first click's release only
    EXPECT_EQ(drag(q, q - QPoint(0, 2)), "19.2"); // afterwards dragging works as before
}

TEST_F(ChartWidget, TemplatesStartFromTheDesignedLookAndAFailureKeepsTheLook) {
    test::TempDir dir;
    const std::string head = "Kestrel Vanta chart template 1\n";
    test::writeAll(dir.file("a"), head + "header = Custom\ny.decimals = 1\n");
    test::writeAll(dir.file("bad"), head + "header = Half\nx.range = 1 0\n");
    test::writeAll(dir.file("b"), head + "series2.legend = Low\n");
    // Whether it loaded, whether an error was given, then the look.
    const auto load = [&](const char* name) {
        QString error;
        const bool ok = chart.loadTemplate(QString::fromStdString(dir.file(name)), &error);
        auto* y = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).value(0));
        return QString("%1%2|%3|%4|")
                   .arg(ok)
                   .arg(error.isEmpty())
                   .arg(chart.chart()->title(), y->labelFormat()) +
               series(2)->name();
    };
    EXPECT_EQ(load("a"), "11|Custom|%.1f|Low MAP");
    EXPECT_EQ(load("bad"), "00|Custom|%.1f|Low MAP");
    EXPECT_EQ(load("absent"), "00|Custom|%.1f|Low MAP");
    EXPECT_EQ(load("b"), "11|Advance Curves|%.0f|Low");
}
