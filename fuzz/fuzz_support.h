// SPDX-License-Identifier: GPL-3.0-or-later
// What the fuzz targets share: a scratch file for the readers that take a path, and a
// check that stops the run on a broken property as a crash would.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace kv::fuzz {

// The bytes in a file of this process's own, rewritten for every input; in memory
// (/dev/shm) where there is one.
inline const std::string& scratchFile(std::string_view bytes) {
    static const std::string path =
        std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/kv-fuzz-" +
        std::to_string(::getpid()) + ".dat";
    static const struct Cleanup {
        ~Cleanup() { ::unlink(path.c_str()); }
    } cleanup;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

inline void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

} // namespace kv::fuzz
