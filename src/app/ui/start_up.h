// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/main_window.h"

#include <QString>
#include <memory>

namespace kv {

class Dialogs;
class PortSettings;

// Main's flow: the splash, modally, until its timer unloads it; then the main window,
// shown. Returns the window for the event loop to run. `dialogs` null: real prompts;
// `portSettings` null: the per-user store.
std::unique_ptr<MainWindow> startUp(const QString& programFolder, Dialogs* dialogs = nullptr,
                                    std::unique_ptr<PortSettings> portSettings = nullptr);

} // namespace kv
