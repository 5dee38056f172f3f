// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/main_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"

#include <QApplication>
#include <QLineSeries>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

// Shows `t` in `w` as an open table of `type`, as if just opened.
inline void showTable(MainWindow& w, const std::string& type, const Table16x2& t) {
    ProgramState& s = w.state();
    s.TableType = type;
    s.AdvanceTable = t;
    copyAdvanceTableToLive(s);
    CopyChartToGrid(s);
    w.liveTableChanged();
    w.setTableShown(true);
    w.applyInteraction(type);
}

// `w` holds `expected` exactly, and its chart draws it.
inline void expectTable(MainWindow& w, const LiveTable& expected, const std::string& what) {
    const LiveTable& now = w.state().live;
    EXPECT_TRUE(now.texts == expected.texts) << what;
    for (int curve : {kWot, kLow}) {
        auto* line = qobject_cast<QLineSeries*>(w.chart()->chart()->series().at(curve - 1));
        for (int p = 1; p <= kPoints; ++p) {
            EXPECT_DOUBLE_EQ(now.value(curve, p), expected.value(curve, p)) << what;
            EXPECT_DOUBLE_EQ(line->at(p - 1).y(), now.value(curve, p)) << what;
        }
    }
}

// A left-button press, move or release on the chart at `at`, in viewport pixels.
inline void chartMouse(MainWindow& w, QEvent::Type type, QPoint at) {
    QWidget* vp = w.chart()->viewport();
    QMouseEvent ev(type, QPointF(at), QPointF(vp->mapToGlobal(at)),
                   type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                   type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
    QApplication::sendEvent(vp, &ev);
}

// A press on point `point` of curve `series`, `moves` moves of `dy` pixels up, the release.
inline void chartDrag(MainWindow& w, int series, int point, int dy, int moves = 1) {
    const QPoint from = w.chart()->pointPosition(series, point).toPoint();
    chartMouse(w, QEvent::MouseButtonPress, from);
    for (int i = 1; i <= moves; ++i)
        chartMouse(w, QEvent::MouseMove, from - QPoint(0, dy * i));
    chartMouse(w, QEvent::MouseButtonRelease, from - QPoint(0, dy * moves));
}

// The main window, shown, over a folder of its own holding every companion file, with
// scripted prompts (the start-up ones already answered and cleared).
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.copyAllData();
        w = std::make_unique<MainWindow>(defaultBranding(), &dialogs,
                                         QString::fromStdString(dir.path().string()));
        dialogs.clear();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    ProgramState& s() { return w->state(); }
    QAbstractItemModel* model() { return w->grid()->model(); }
    void trigger(const char* name) { w->action(name)->trigger(); }

    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> w;
};

} // namespace kv::test
