// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The numeric test: the whole text, blanks around it allowed, is one number
// (optional sign, digits with at most one decimal point, optional exponent).
[[nodiscard]] bool isNumeric(std::string_view text);

// The leading-number reading: blanks, tabs and line feeds anywhere are skipped, the
// longest leading number is taken, and a text without one reads as 0. A number too
// large for a double reads as an infinity, which the callers treat as an overflow.
[[nodiscard]] double leadingNumber(std::string_view text);
// The same reading, or nothing when the text holds no leading number at all.
[[nodiscard]] std::optional<double> leadingNumberIfAny(std::string_view text);

// Rounding to a whole number, halves to the even neighbour.
[[nodiscard]] double roundHalfEven(double v);
// Rounding to `decimals` places, halves to the even neighbour, where a value whose
// shortest decimal form ends in a 5 just past those places counts as a half.
[[nodiscard]] double roundDecimals(double v, int decimals);

// Number texts: "#0.0", "#0" and "##00".
[[nodiscard]] std::string formatNumber(double v, std::string_view pattern);
[[nodiscard]] inline std::string format1(double v) {
    return formatNumber(v, "#0.0");
}

// A whole number with a sign position: " 3", " 0", "-3".
[[nodiscard]] std::string signedText(long v);

// Rounds half to even and converts to a 16-bit signed integer; throws the overflow
// error beyond -32768..32767 (and for a value that is not a number).
[[nodiscard]] std::int16_t toInt16(double v);

} // namespace kv
