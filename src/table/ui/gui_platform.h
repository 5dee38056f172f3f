// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <memory>

namespace kv {

// Starts the GUI application of a program on the display platform Qt chooses (the
// QT_QPA_PLATFORM variable, or -platform). With `offscreenFallback`, the offscreen
// platform, which needs no display, is used when none is named and tried when the named
// one cannot start. When no platform starts, the program ends with exit status 1 and a
// message on standard error that begins with `who`, never with Qt's abort.
[[nodiscard]] std::unique_ptr<QApplication>
startGuiApplication(int& argc, char** argv, const char* who, bool offscreenFallback);

} // namespace kv
