// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/companion_folder.h"

#include <filesystem>

namespace kv {

std::string companionFolder(const std::string& programFolder, InstallLayout layout) {
    namespace fs = std::filesystem;
    // The chart template ships with every build and install, so it marks the folder.
    const char* marker = "Vanta_Chart.oc2";
    std::error_code ec;
    const fs::path beside(programFolder);
    if (fs::is_regular_file(beside / marker, ec)) return programFolder;
    fs::path installed;
    switch (layout) {
    case InstallLayout::Unix:
        installed = beside / ".." / "share" / "kestrel-vanta";
        break;
    case InstallLayout::MacBundle:
        installed = beside / ".." / "Resources";
        break;
    case InstallLayout::Windows:
        return programFolder;
    }
    if (fs::is_regular_file(installed / marker, ec)) {
        const fs::path tidy = fs::weakly_canonical(installed, ec);
        return ec ? installed.lexically_normal().string() : tidy.string();
    }
    return programFolder;
}

} // namespace kv
