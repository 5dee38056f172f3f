// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/start_up.h"
#include "table/ui/gui_platform.h"

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// Start-up measurement for the bench and the install test: prints when the main window
// is shown, with the peak memory, the caption and where the companion files were read,
// and quits.
void reportStartupAndQuit(const QString& caption, const QString& folder) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::string peak = "?";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) peak = line.substr(6);
    std::printf(
        "shown_epoch_ns=%lld peak=%s\ncaption=%s\ncompanions=%s\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        peak.c_str(), caption.toUtf8().constData(), folder.toUtf8().constData());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace

// Main: the splash first, modally, then the main window until it is unloaded.
int main(int argc, char** argv) {
    // Answered before any window system is reached, so that they work on a bare terminal.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: kestrel-vanta [--help] [--version] [Qt options]\n"
                        "Kestrel Vanta, the tuner of the Vanta Ignition Module: build, edit,\n"
                        "print, download and upload its ignition advance table.\n"
                        "Qt's own options (-platform, -style, ...) are accepted too.\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kestrel-vanta %s\n", KV_VERSION);
            return 0;
        }
    }
    // Without a display the window cannot be shown: a message and exit status 1.
    const auto app = kv::startGuiApplication(argc, argv, "kestrel-vanta", false);
    const QString folder = kv::installedCompanionFolder();
    const auto window = kv::startUp(folder);
    if (qEnvironmentVariableIsSet("KV_STARTUP_PROBE"))
        QTimer::singleShot(0, window.get(),
                           [&] { reportStartupAndQuit(window->windowTitle(), folder); });
    return app->exec();
}
