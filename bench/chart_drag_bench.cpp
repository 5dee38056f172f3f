// SPDX-License-Identifier: GPL-3.0-or-later
// kv-chart-bench: the cost of one pointer move of a drag, from the move event to the
// end of the chart's repaint, offscreen. Prints one line for the bench report.
#include "sample_table.h"
#include "table/program_state.h"
#include "table/ui/advance_chart.h"

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

class PaintCounter : public QObject {
public:
    using QObject::QObject;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent ev(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, {});
    QApplication::sendEvent(w, &ev);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    kv::ProgramState state;
    fillSampleTable(state);
    kv::AdvanceChart chart(state);
    chart.resize(1024, 538); // the upper 70 % of a 1024 x 768 window
    chart.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();

    QWidget* vp = chart.viewport();
    PaintCounter counter;
    vp->installEventFilter(&counter);

    const QPoint start = chart.pointPosition(kv::kWot, 8).toPoint();
    sendMouse(vp, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QApplication::processEvents();

    constexpr int kWarmUp = 50;
    constexpr int kMoves = 1000;
    std::vector<double> ms;
    ms.reserve(kMoves);
    int unpainted = 0;
    for (int i = 0; i < kWarmUp + kMoves; ++i) {
        // Up and down over 60 px, so every move changes the value and the label.
        const int phase = i % 120;
        const QPoint at = start - QPoint(0, phase < 60 ? phase : 120 - phase);
        const int before = counter.paints;
        const auto t0 = std::chrono::steady_clock::now();
        sendMouse(vp, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        for (int round = 0; round < 20 && counter.paints == before; ++round)
            QApplication::processEvents();
        const auto t1 = std::chrono::steady_clock::now();
        if (counter.paints == before) ++unpainted;
        if (i >= kWarmUp) ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    sendMouse(vp, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);

    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p99 = ms[ms.size() * 99 / 100];
    std::printf("drag-move median_ms=%.3f p99_ms=%.3f\n", median, p99);
    if (unpainted > 0) {
        std::fprintf(stderr, "kv-chart-bench: %d moves drew nothing\n", unpainted);
        return 1;
    }
    return 0;
}
