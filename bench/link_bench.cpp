// SPDX-License-Identifier: GPL-3.0-or-later
// kv-link-bench: a full image read and a full write-and-verify against the emulator
// pacing at 56000 baud, each as a ratio to its floor, and the overshoot of DelayTimer.
// docs/link-timing.md explains the floors. Speed is reported, never asserted.
#include "link/protocol.h"
#include "link/ui/delay_timer.h"
#include "link/ui/qt_link_host.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// The bench expects no prompt; any that comes is printed and answered Abort.
class BenchDialogs : public kv::Dialogs {
public:
    kv::Button message(const std::string& text, const std::string&, kv::Buttons,
                       kv::Icon) override {
        std::cerr << "kv-link-bench: " << text << "\n";
        return kv::Button::Abort;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::string openFile(const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&) override { return {}; }
};

constexpr double kByteMs = 10.0 / 56000.0 * 1000.0; // start, 8 data bits, stop
constexpr double kPauseMs = 5.0;
// Pauses and byte times on the critical path (docs/link-timing.md).
constexpr double kReadFloorMs = 81 * kPauseMs + 124 * kByteMs;
constexpr double kWriteVerifyFloorMs = 123 * kPauseMs + 248 * kByteMs;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

template <class F> double timeMs(F&& f) {
    const auto t0 = Clock::now();
    f();
    return Ms(Clock::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = qEnvironmentVariableIntValue("KV_BENCH_RUNS") > 0
                         ? qEnvironmentVariableIntValue("KV_BENCH_RUNS")
                         : 5;

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + "/vanta-module-sim", QStringList{});
    QByteArray out;
    while (!out.contains("ready\n") && sim.waitForReadyRead(5000))
        out += sim.readAllStandardOutput();
    if (!out.contains("ready\n")) {
        std::cerr << "kv-link-bench: the emulator did not start\n";
        return 1;
    }
    const std::string device = out.left(out.indexOf('\n')).toStdString();

    kv::ProgramState state;
    BenchDialogs dialogs;
    kv::NoProgress progress;
    kv::SerialChannel channel(device);
    kv::QtLinkHost host(state, dialogs, channel, progress);

    std::vector<double> reads, writes;
    for (int i = 0; i < runs; ++i) {
        // As in the program's commands, which hold the device while their exchanges run.
        const kv::SerialChannel::Hold hold(channel);
        reads.push_back(timeMs([&] { kv::ReadEEPROMData(host); }));
        if (!state.CommOKFlag) return std::cerr << "kv-link-bench: read failed\n", 1;
        writes.push_back(timeMs([&] { kv::WriteEEPROMData(host); }));
        if (!state.CommOKFlag || state.VerifyErrorCount != 0)
            return std::cerr << "kv-link-bench: write failed\n", 1;
    }
    std::vector<double> overshoot;
    for (int i = 0; i < 400; ++i)
        overshoot.push_back(timeMs([] { kv::DelayTimer(5); }) - 5.0);
    sim.terminate();
    sim.waitForFinished(3000);

    const double r = median(reads), w = median(writes);
    std::printf("link_read ratio=%.3f median_ms=%.1f floor_ms=%.1f (aim: at most 1.03)\n",
                r / kReadFloorMs, r, kReadFloorMs);
    std::printf("link_write_verify ratio=%.3f median_ms=%.1f floor_ms=%.1f (aim: at most 1.03)\n",
                w / kWriteVerifyFloorMs, w, kWriteVerifyFloorMs);
    std::printf("delay_timer overshoot_median_ms=%.3f (aim: under 0.3 ms)\n", median(overshoot));
    std::printf("delay_timer overshoot_p99_ms=%.3f\n", percentile(overshoot, 0.99));
    return 0;
}
