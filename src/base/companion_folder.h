// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kv {

// Where an installed program's companion files lie, relative to the program's folder:
// ../share/kestrel-vanta/ under a Unix prefix, ../Resources/ in a macOS application
// bundle, and beside the program in a Windows installation.
enum class InstallLayout { Unix, MacBundle, Windows };

[[nodiscard]] constexpr InstallLayout thisSystemsLayout() {
#if defined(_WIN32)
    return InstallLayout::Windows;
#elif defined(__APPLE__)
    return InstallLayout::MacBundle;
#else
    return InstallLayout::Unix;
#endif
}

// Where the companion files (chart template, curves, branding file, logo, help) live, for a
// program in `programFolder`: beside the program when they are there, as in the build tree;
// otherwise where `layout` installs them. When neither holds them, the program's folder,
// so that messages name the place the files were first looked for.
[[nodiscard]] std::string companionFolder(const std::string& programFolder,
                                          InstallLayout layout = thisSystemsLayout());

} // namespace kv
