// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/gui_platform.h"

#include <cstdio>
#include <cstdlib>

namespace kv {
namespace {

const char* g_who = "";
QtMessageHandler g_previous = nullptr;

// Qt reports a platform that cannot start as a fatal message and then aborts; the
// program ends here instead, with a message a user can act on.
void platformStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    if (type != QtFatalMsg) {
        if (g_previous) g_previous(type, context, msg);
        return;
    }
    const QByteArray tried = qgetenv("QT_QPA_PLATFORM");
    std::fprintf(stderr,
                 "%s: no display platform could be started (tried %s). Set DISPLAY, or "
                 "QT_QPA_PLATFORM to a platform that works here.\n",
                 g_who, tried.isEmpty() ? "the default" : tried.constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

std::unique_ptr<QApplication> startGuiApplication(int& argc, char** argv, const char* who,
                                                  bool offscreenFallback) {
    if (offscreenFallback) {
        const QByteArray named = qgetenv("QT_QPA_PLATFORM");
        if (named.isEmpty())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        else if (!named.contains("offscreen"))
            qputenv("QT_QPA_PLATFORM", named + ";offscreen"); // Qt tries them in order
    }
    g_who = who;
    g_previous = qInstallMessageHandler(platformStartMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(g_previous);
    return app;
}

} // namespace kv
