// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/numbers.h"

#include "base/errors.h"

#include <array>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kv {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the number at the start of s (sign, digits, point, exponent), 0 if none.
std::size_t scanNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && isDigit(s[j])) {
            while (j < s.size() && isDigit(s[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

// Shortest fixed-point text that reads back as v, without a sign.
std::string shortestFixed(double v) {
    std::array<char, 512> buf{};
    auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(v), std::chars_format::fixed);
    return std::string(buf.data(), res.ptr);
}

// Rounds the decimal text of |v| to `decimals` places, halves to even. Returns the
// integer digits and the fraction digits separately.
void roundText(double v, int decimals, std::string& intPart, std::string& frac) {
    const std::string s = shortestFixed(v);
    const auto dot = s.find('.');
    intPart = s.substr(0, dot);
    std::string rest = dot == std::string::npos ? std::string() : s.substr(dot + 1);
    const auto d = static_cast<std::size_t>(decimals);
    if (rest.size() < d) rest.append(d - rest.size(), '0');
    frac = rest.substr(0, d);
    const std::string dropped = rest.substr(d);
    bool up = false;
    if (!dropped.empty()) {
        if (dropped[0] > '5')
            up = true;
        else if (dropped[0] == '5') {
            const bool tail = dropped.find_first_not_of('0', 1) != std::string::npos;
            const char last = frac.empty() ? intPart.back() : frac.back();
            up = tail || ((last - '0') % 2 == 1);
        }
    }
    if (!up) return;
    std::string all = intPart + frac;
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
        all[static_cast<std::size_t>(i--)] = '0';
    if (i < 0)
        all.insert(all.begin(), '1');
    else
        ++all[static_cast<std::size_t>(i)];
    intPart = all.substr(0, all.size() - d);
    frac = all.substr(all.size() - d);
}

} // namespace

bool isNumeric(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    const auto body = text.substr(b, e - b);
    if (body.empty()) return false;
    const std::size_t n = scanNumber(body);
    if (n != body.size()) return false;
    // An exponent must have digits: "1e" is not a number.
    const char last = body.back();
    return isDigit(last) || last == '.';
}

double leadingNumber(std::string_view text) {
    return leadingNumberIfAny(text).value_or(0.0);
}

std::optional<double> leadingNumberIfAny(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (!isBlank(c)) compact.push_back(c);
    const std::size_t n = scanNumber(compact);
    if (n == 0) return std::nullopt;
    compact.resize(n);
    return std::strtod(compact.c_str(), nullptr); // overflow gives +-HUGE_VAL
}

double roundHalfEven(double v) {
    if (!std::isfinite(v)) return v;
    const int old = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(old);
    return r;
}

double roundDecimals(double v, int decimals) {
    if (!std::isfinite(v)) return v;
    std::string i, f;
    roundText(v, decimals, i, f);
    std::string s = (std::signbit(v) ? "-" : "") + i + (f.empty() ? "" : "." + f);
    return std::strtod(s.c_str(), nullptr);
}

std::string formatNumber(double v, std::string_view pattern) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";
    const int decimals = pattern == "#0.0" ? 1 : 0;
    const std::size_t minInt = pattern == "##00" ? 2 : 1;
    std::string i, f;
    roundText(v, decimals, i, f);
    const auto nz = i.find_first_not_of('0');
    i = nz == std::string::npos ? std::string() : i.substr(nz);
    if (i.size() < minInt) i.insert(0, minInt - i.size(), '0');
    const bool zero = i.find_first_not_of('0') == std::string::npos &&
                      f.find_first_not_of('0') == std::string::npos;
    std::string out = (std::signbit(v) && !zero) ? "-" : "";
    out += i;
    if (decimals > 0) out += "." + f;
    return out;
}

std::string signedText(long v) {
    return (v < 0 ? "-" : " ") + std::to_string(v < 0 ? -static_cast<long long>(v) : v);
}

std::int16_t toInt16(double v) {
    const double r = roundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw overflowError();
    return static_cast<std::int16_t>(r);
}

} // namespace kv
