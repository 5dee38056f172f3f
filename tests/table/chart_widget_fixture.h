// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/numbers.h"
#include "table/program_state.h"
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QLineSeries>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

// A shown chart over a table whose curves lie well apart, with mouse events sent to
// its viewport the way the window system delivers them.
class ChartWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int p = 1; p <= kPoints; ++p) {
            state.live.values(p, kWot) = 12.0 + p;
            state.live.values(p, kLow) = 4.0 + 0.5 * p;
        }
        CopyChartToGrid(state);
        chart = std::make_unique<AdvanceChart>(state);
        chart->resize(900, 600);
        chart->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chart.get()));
        QApplication::processEvents();
    }

    // Sets one value and its grid text, then redraws, as a whole-table load would.
    void put(int series, int point, double v, const std::string& text) {
        state.live.values(point, series) = v;
        state.live.setText(rowOfSeries(series), point, text);
        chart->refresh();
        QApplication::processEvents();
    }

    [[nodiscard]] QPoint at(int series, int point) const {
        return chart->pointPosition(series, point).toPoint();
    }
    [[nodiscard]] QLineSeries* series(int s) const {
        return qobject_cast<QLineSeries*>(chart->chart()->series().at(s - 1));
    }

    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers keys) {
        QWidget* vp = chart->viewport();
        QMouseEvent ev(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, held, keys);
        QApplication::sendEvent(vp, &ev);
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
    void doubleClick(QPoint pos) {
        send(QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton, {});
    }
    // Presses on a point, moves `dy` pixels down and releases there. Gives the value
    // while the button was held; `labelDuring` keeps the label of that moment.
    double drag(int s, int point, int dy) {
        const QPoint p = at(s, point);
        press(p);
        move(p + QPoint(0, dy));
        const double during = chart->value(s, point);
        labelDuring = chart->valueLabelText();
        release(p + QPoint(0, dy));
        return during;
    }

    ProgramState state;
    std::unique_ptr<AdvanceChart> chart;
    QString labelDuring;
};

} // namespace kv::test
