// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX systems other than Linux: macOS asks the loader; the BSDs with a process file
// system name the executable there.
#include "base/program_folder.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace kv {

std::filesystem::path programFolder() {
    std::error_code ec;
#if defined(__APPLE__)
    std::uint32_t size = 0;
    (void)::_NSGetExecutablePath(nullptr, &size);
    std::string buffer(size, '\0');
    if (::_NSGetExecutablePath(buffer.data(), &size) == 0) {
        const auto exe = std::filesystem::weakly_canonical(buffer.c_str(), ec);
        if (!ec) return exe.parent_path();
    }
#endif
    for (const char* link : {"/proc/self/exe", "/proc/curproc/file", "/proc/curproc/exe"}) {
        const auto exe = std::filesystem::read_symlink(link, ec);
        if (!ec) return exe.parent_path();
    }
    return {};
}

} // namespace kv
