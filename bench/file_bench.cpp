// SPDX-License-Identifier: GPL-3.0-or-later
// kv-file-bench: the time to read a table file from disk as Open Table reads it,
// curve data, parameter section and EX limit file included.
#include "files/read_table.h"
#include "files/table_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const fs::path exe = fs::read_symlink("/proc/self/exe");
    const std::string folder = exe.parent_path().string();
    const fs::path file =
        fs::temp_directory_path() / ("kv-file-bench-" + std::to_string(::getpid()) + ".tbl");

    kv::Table16x2 t;
    for (int p = 1; p <= kv::kPoints; ++p) {
        t(p, kv::kWot) = 5 + p * 1.37;
        t(p, kv::kLow) = 7 + p * 1.61;
    }
    kv::ModuleParameters params;
    if (!kv::writeFileAtomically(file.string(), kv::tableFileText(t, params, "EX"))) {
        std::fprintf(stderr, "kv-file-bench: cannot write %s\n", file.c_str());
        return 1;
    }

    std::vector<double> ms;
    ms.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        kv::ProgramState s;
        const auto start = std::chrono::steady_clock::now();
        const kv::TableReadResult r = kv::readTableAsOpened(s, file.string(), folder);
        const auto end = std::chrono::steady_clock::now();
        if (!r) {
            std::fprintf(stderr, "kv-file-bench: %s\n", r.message.c_str());
            fs::remove(file);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    fs::remove(file);
    std::sort(ms.begin(), ms.end());
    std::printf("table-read median_ms=%.4f p95_ms=%.4f runs=%d\n", ms[ms.size() / 2],
                ms[ms.size() * 95 / 100], runs);
    return 0;
}
