// SPDX-License-Identifier: GPL-3.0-or-later
// kv-transfer-bench: the whole Download and Upload commands of the real main window,
// offscreen, against the emulator pacing at 56000 baud. For each command: the median
// time over several runs as a ratio to its protocol floor (docs/link-timing.md), and the
// longest time the interface went without handling events, leaving out ReadEEPROM's
// reply wait, the one wait that must not yield. Every prompt is answered OK at once, so
// the "Firmware ID: ..." message costs the command no time. Speed is reported, never
// asserted.
#include "app/ui/main_window.h"
#include "files/branding.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_settings.h"
#include "link/ui/serial_channel.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr const char* kFirmwareId = "VANTA 8.1 RACE";
constexpr double kByteMs = 10.0 / 56000.0 * 1000.0; // start, 8 data bits, stop
constexpr double kPauseMs = 5.0;

// The identification: 0x10, its echo, the characters and 0x0D on the line, one pause.
constexpr double idFloorMs(std::size_t idLength) {
    return kPauseMs + static_cast<double>(idLength + 3) * kByteMs;
}
// A set-address exchange and one ReadEEPROM: 3 + 1 pauses, 7 + 3 bytes.
constexpr double kAddressAndReadFloorMs = 4 * kPauseMs + 10 * kByteMs;
constexpr double kImageReadFloorMs = 81 * kPauseMs + 124 * kByteMs;
constexpr double kWriteVerifyFloorMs = 123 * kPauseMs + 248 * kByteMs;

// Answers OK to every prompt and keeps the texts, so that a run can be checked.
class BenchDialogs : public kv::Dialogs {
public:
    kv::Button message(const std::string& text, const std::string&, kv::Buttons,
                       kv::Icon) override {
        m_messages.push_back(text);
        return kv::Button::OK;
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::string openFile(const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&) override { return {}; }

    [[nodiscard]] std::vector<std::string> take() { return std::exchange(m_messages, {}); }

private:
    std::vector<std::string> m_messages;
};

// The longest delay of a 1 ms repeating precise timer: how long an event could have
// waited for the interface. Time spent in the channel's non-yielding wait is taken out.
class UiGapMeter {
public:
    explicit UiGapMeter(kv::SerialChannel& channel) : m_channel(channel) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kPeriod);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { tick(); });
        m_channel.setBlockingWaitObserver([this](bool started) {
            const auto now = Clock::now();
            if (started) {
                m_blockedSince = now;
            } else {
                m_blocked.emplace_back(m_blockedSince, now);
            }
        });
    }
    ~UiGapMeter() { m_channel.setBlockingWaitObserver({}); }

    void start() {
        m_longest = Clock::duration::zero();
        m_blocked.clear();
        m_last = Clock::now();
        m_timer.start();
    }
    double stopMs() {
        m_timer.stop();
        tick();
        return Ms(m_longest).count();
    }

private:
    static constexpr std::chrono::milliseconds kPeriod{1};

    void tick() {
        const auto now = Clock::now();
        const auto due = m_last + kPeriod;
        auto late = now - due;
        // The part of the non-yielding waits that fell after the tick was due.
        for (const auto& [from, to] : m_blocked) {
            const auto overlap = std::min(to, now) - std::max(from, due);
            if (overlap > Clock::duration::zero()) late -= overlap;
        }
        m_longest = std::max(m_longest, late);
        m_blocked.clear();
        m_last = now;
    }

    kv::SerialChannel& m_channel;
    QTimer m_timer;
    Clock::time_point m_last{};
    Clock::time_point m_blockedSince{};
    std::vector<std::pair<Clock::time_point, Clock::time_point>> m_blocked;
    Clock::duration m_longest{};
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = qEnvironmentVariableIntValue("KV_BENCH_RUNS") > 0
                         ? qEnvironmentVariableIntValue("KV_BENCH_RUNS")
                         : 5;

    // KV_BENCH_SIM_LOG names a file for the emulator's byte log, to see where time goes.
    QStringList simArgs{"--id", kFirmwareId, "--baud", "56000"};
    if (!qEnvironmentVariableIsEmpty("KV_BENCH_SIM_LOG"))
        simArgs << "--log" << qEnvironmentVariable("KV_BENCH_SIM_LOG");
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + "/vanta-module-sim", simArgs);
    QByteArray out;
    while (!out.contains("ready\n") && sim.waitForReadyRead(5000))
        out += sim.readAllStandardOutput();
    if (!out.contains("ready\n")) {
        std::cerr << "kv-transfer-bench: the emulator did not start\n";
        return 1;
    }
    const QString device = QString::fromUtf8(out.left(out.indexOf('\n')));

    QTemporaryDir dir;
    auto settings = std::make_unique<kv::PortSettings>(dir.filePath("kv.ini"));
    settings->setDeviceOverride(1, device);
    BenchDialogs dialogs;
    kv::MainWindow w(kv::defaultBranding(), &dialogs, {}, std::move(settings));
    w.show();
    QCoreApplication::processEvents();
    (void)dialogs.take(); // whatever start-up said
    UiGapMeter meter(w.link().channel());

    // One command, timed, and whether it ended as it should.
    const auto download = [&] {
        w.setTableShown(false); // no save question
        const auto t0 = Clock::now();
        w.action("mnuDownload")->trigger();
        const double ms = Ms(Clock::now() - t0).count();
        const auto texts = dialogs.take();
        const bool ok =
            w.tableShown() && contains(texts, std::string("Firmware ID: ") + kFirmwareId);
        return std::pair(ms, ok);
    };
    const auto upload = [&] {
        const auto t0 = Clock::now();
        w.action("mnuUpload")->trigger();
        const double ms = Ms(Clock::now() - t0).count();
        const auto texts = dialogs.take();
        return std::pair(ms, texts == std::vector<std::string>{"Upload completed."});
    };

    // Timed runs without the gap meter, whose 1 kHz timer would add wake-ups of its own.
    std::vector<double> downloads, uploads;
    for (int i = 0; i < runs; ++i) {
        const auto [d, dOk] = download();
        const auto [u, uOk] = upload();
        if (!dOk || !uOk) {
            std::cerr << "kv-transfer-bench: a " << (dOk ? "upload" : "download") << " failed\n";
            return 1;
        }
        downloads.push_back(d);
        uploads.push_back(u);
    }
    double downloadGap = 0, uploadGap = 0;
    for (int i = 0; i < std::max(2, runs / 2); ++i) {
        meter.start();
        const bool dOk = download().second;
        downloadGap = std::max(downloadGap, meter.stopMs());
        meter.start();
        const bool uOk = upload().second;
        uploadGap = std::max(uploadGap, meter.stopMs());
        if (!dOk || !uOk) {
            std::cerr << "kv-transfer-bench: a transfer failed\n";
            return 1;
        }
    }
    sim.terminate();
    sim.waitForFinished(3000);

    const std::size_t idLength = std::char_traits<char>::length(kFirmwareId);
    // Download reads the image twice and compares the two.
    const double downloadFloor = idFloorMs(idLength) + 2 * kImageReadFloorMs;
    // Upload reads each of the module's two carried bytes twice and compares the two.
    const double uploadFloor =
        idFloorMs(idLength) + 4 * kAddressAndReadFloorMs + kWriteVerifyFloorMs;
    const double d = median(downloads), u = median(uploads);
    std::printf("download ratio=%.3f floor_ms=%.1f median_ms=%.1f max_ui_gap_ms=%.1f "
                "(aim: at most 1.03 and 20 ms)\n",
                d / downloadFloor, downloadFloor, d, downloadGap);
    std::printf("upload ratio=%.3f floor_ms=%.1f median_ms=%.1f max_ui_gap_ms=%.1f "
                "(aim: at most 1.03 and 20 ms)\n",
                u / uploadFloor, uploadFloor, u, uploadGap);
    return 0;
}
