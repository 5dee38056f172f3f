// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace kv {

// Where the companion files (chart template, curves, branding file, logo, help) live, for a
// program in `programFolder`: beside the program when they are there, as in the build tree;
// otherwise in ../share/kestrel-vanta/ relative to it, as in an installed tree under any
// prefix. When neither holds them, the program's folder, so that messages name the place
// the files were first looked for.
[[nodiscard]] std::string companionFolder(const std::string& programFolder);

} // namespace kv
