// SPDX-License-Identifier: GPL-3.0-or-later
// kv-edit-bench: the grid's Modify over all 32 data cells and a 2 x 16 paste, each from
// the menu handler to the end of the chart's repaint, offscreen, with the chart over the
// grid as in the window. Prints one line per command for the bench report.
#include "sample_table.h"
#include "table/program_state.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_editing.h"
#include "table/ui/grid_view.h"
#include "table/ui/table_model.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
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

// The Modify entry, alternating so that every run changes every value.
class BenchDialogs : public kv::Dialogs {
public:
    kv::Button message(const std::string&, const std::string&, kv::Buttons, kv::Icon) override {
        return kv::Button::OK;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        up = !up;
        return up ? "+1" : "-1";
    }
    std::string openFile(const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&) override { return {}; }
    bool up = false;
};

struct Figures {
    double median = 0;
    double p99 = 0;
    double paintsPerRun = 0;
    int unpainted = 0;
};

// Runs `command` repeatedly; each run is timed until the chart has repainted.
Figures measure(PaintCounter& counter, const std::function<void(int)>& command) {
    constexpr int kWarmUp = 20;
    constexpr int kRuns = 500;
    std::vector<double> ms;
    int unpainted = 0;
    int paints = 0;
    for (int i = 0; i < kWarmUp + kRuns; ++i) {
        const int before = counter.paints;
        const auto t0 = std::chrono::steady_clock::now();
        command(i);
        for (int round = 0; round < 20 && counter.paints == before; ++round)
            QApplication::processEvents();
        const auto t1 = std::chrono::steady_clock::now();
        for (int round = 0; round < 3; ++round) // any later repaint is counted, not timed
            QApplication::processEvents();
        if (i < kWarmUp) continue;
        if (counter.paints == before) ++unpainted;
        paints += counter.paints - before;
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 99 / 100], double(paints) / kRuns, unpainted};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    kv::ProgramState state;
    fillSampleTable(state);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* chart = new kv::AdvanceChart(state);
    kv::TableModel model(state);
    auto* grid = new kv::GridView(&model);
    layout->addWidget(chart, 7);
    layout->addWidget(grid, 3);
    window.resize(1024, 768);
    QMenu popup;
    QAction* copy = popup.addAction(QStringLiteral("Copy"));
    QAction* paste = popup.addAction(QStringLiteral("Paste"));
    QAction* modify = popup.addAction(QStringLiteral("Modify"));
    BenchDialogs dialogs;
    kv::GridEditing editing(state, dialogs, *grid, model, *chart, {&popup, copy, paste, modify});
    window.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();

    PaintCounter counter;
    chart->viewport()->installEventFilter(&counter);
    grid->selectRange({1, 1, 2, 16});

    const Figures m = measure(counter, [&](int) { editing.mnuPopUpModify_Click(); });

    // Two 2 x 16 blocks to paste in turn, so that every paste changes every point.
    editing.mnuPopUpCopy_Click();
    const std::string first = state.CopyBuffer;
    editing.mnuPopUpModify_Click();
    editing.mnuPopUpCopy_Click();
    const std::string second = state.CopyBuffer;
    const Figures p = measure(counter, [&](int i) {
        state.CopyBuffer = i % 2 ? first : second;
        grid->setCurrentCell(1, 1);
        editing.mnuPopUpPaste_Click();
    });

    std::printf("modify-32 median_ms=%.3f p99_ms=%.3f chart_paints=%.2f (aim: under 3 ms)\n",
                m.median, m.p99, m.paintsPerRun);
    std::printf("paste-2x16 median_ms=%.3f p99_ms=%.3f chart_paints=%.2f (aim: under 3 ms)\n",
                p.median, p.p99, p.paintsPerRun);
    if (m.unpainted + p.unpainted > 0) {
        std::fprintf(stderr, "kv-edit-bench: %d runs drew nothing\n", m.unpainted + p.unpainted);
        return 1;
    }
    return 0;
}
