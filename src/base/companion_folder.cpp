// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/companion_folder.h"

#include <filesystem>

namespace kv {

std::string companionFolder(const std::string& programFolder) {
    namespace fs = std::filesystem;
    // The chart template ships with every build and install, so it marks the folder.
    const char* marker = "Vanta_Chart.oc2";
    std::error_code ec;
    const fs::path beside(programFolder);
    if (fs::is_regular_file(beside / marker, ec)) return programFolder;
    const fs::path shared = beside / ".." / "share" / "kestrel-vanta";
    if (fs::is_regular_file(shared / marker, ec)) {
        const fs::path tidy = fs::weakly_canonical(shared, ec);
        return ec ? shared.lexically_normal().string() : tidy.string();
    }
    return programFolder;
}

} // namespace kv
