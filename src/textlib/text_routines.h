// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Removes `count` characters starting at the 1-based `start` position, in place.
// A count of 0, or a start beyond the end, leaves the text as it was.
void DeleteChars(std::string& text, int start, int count);

// The text in a field of exactly `width` characters: left-aligned and filled with
// blanks; a longer text is cut to the width.
[[nodiscard]] std::string PadField(std::string_view text, int width);

// The text without any character that occurs in `set`; the others keep their order.
// The leading mode argument is kept for the callers' sake and only mode 1 is known.
[[nodiscard]] std::string StripChars(int mode, std::string_view text, std::string_view set);

} // namespace kv
