// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace kv {

// The folder of the running program's executable, as the system tells it (not the
// current folder, nor what the program was called by); empty when the system will not say.
[[nodiscard]] std::filesystem::path programFolder();

} // namespace kv
