// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kv {

// The folder of the transfer history: "history" in the program's data folder
// (QStandardPaths::AppDataLocation), the same for the desktop program and the companion
// whatever name the running one goes by. On Linux ~/.local/share/KestrelVanta/
// Kestrel_Vanta_Main/history, or under $XDG_DATA_HOME when that is set.
[[nodiscard]] std::string historyFolder();

} // namespace kv
