// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/program_folder.h"

#include <string>
#include <windows.h>

namespace kv {

std::filesystem::path programFolder() {
    // Paths may be longer than MAX_PATH; the buffer grows until the name fits.
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0) return {};
        if (n < name.size()) {
            name.resize(n);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

} // namespace kv
