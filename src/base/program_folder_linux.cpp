// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/program_folder.h"

namespace kv {

std::filesystem::path programFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace kv
