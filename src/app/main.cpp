// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/start_up.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Start-up measurement for the bench: prints when the main window is shown, with the
// peak memory, and quits.
void reportStartupAndQuit() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::string peak = "?";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) peak = line.substr(6);
    std::printf(
        "shown_epoch_ns=%lld peak=%s\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        peak.c_str());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace

// Main: the splash first, modally, then the main window until it is unloaded.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto window = kv::startUp(QCoreApplication::applicationDirPath());
    if (qEnvironmentVariableIsSet("KV_STARTUP_PROBE"))
        QTimer::singleShot(0, window.get(), reportStartupAndQuit);
    return app.exec();
}
