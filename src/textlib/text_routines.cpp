// SPDX-License-Identifier: GPL-3.0-or-later
#include "textlib/text_routines.h"

namespace kv {

void DeleteChars(std::string& text, int start, int count) {
    if (count <= 0 || start < 1) return;
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= text.size()) return;
    text.erase(from, static_cast<std::size_t>(count));
}

std::string PadField(std::string_view text, int width) {
    if (width <= 0) return {};
    const auto w = static_cast<std::size_t>(width);
    std::string out(text.substr(0, w));
    out.resize(w, ' ');
    return out;
}

std::string StripChars(int /*mode*/, std::string_view text, std::string_view set) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (set.find(c) == std::string_view::npos) out.push_back(c);
    return out;
}

} // namespace kv
