// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/curve_data.h"

#include "textlib/text_lines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace kv {
namespace {

constexpr std::string_view kPointsLine = "POINTS 16 SERIES 2";
constexpr std::string_view kEndLine = "END";

void appendNumber(std::string& out, double v) {
    std::array<char, 32> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    out.append(buf.data(), res.ptr);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One blank-separated field of `line`, advancing past it; empty at the end.
std::string_view nextField(std::string_view& line) {
    std::size_t b = 0;
    while (b < line.size() && isBlank(line[b]))
        ++b;
    std::size_t e = b;
    while (e < line.size() && !isBlank(line[e]))
        ++e;
    const std::string_view field = line.substr(b, e - b);
    line.remove_prefix(e);
    return field;
}

// Whether a number that from_chars found out of range is too small rather than too large:
// the decimal position of its first significant digit, from the digits and exponent.
bool underflows(std::string_view field) {
    if (!field.empty() && field.front() == '-') field.remove_prefix(1);
    const auto e = field.find_first_of("eE");
    const std::string_view mantissa = field.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = field.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        for (const char c : digits)
            exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL);
        if (negative) exponent = -exponent;
    }
    long long beforePoint = -1;
    long long firstDigit = -1;
    long long index = 0;
    for (const char c : mantissa) {
        if (c == '.') {
            beforePoint = index;
            continue;
        }
        if (firstDigit < 0 && c != '0') firstDigit = index;
        ++index;
    }
    if (beforePoint < 0) beforePoint = index;
    return beforePoint - firstDigit + exponent <= 0;
}

// A finite double spelled as a whole field, with an optional sign. from_chars also takes
// "nan" and "inf", which are refused here; a number too small for a double reads as a
// zero of its sign, one too large is refused.
std::optional<double> finiteNumber(std::string_view field) {
    std::string_view digits = field;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-') return std::nullopt;
    }
    if (digits.empty()) return std::nullopt;
    double v = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (res.ptr != digits.data() + digits.size()) return std::nullopt;
    if (res.ec == std::errc::result_out_of_range && underflows(digits))
        return digits.front() == '-' ? -0.0 : 0.0;
    if (res.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::string curveDataText(const Table16x2& t) {
    std::string out;
    out.reserve(600);
    out.append(kCurveMagic).append("\r\n");
    out.append(kPointsLine).append("\r\n");
    for (int p = 1; p <= kPoints; ++p) {
        out.append(std::to_string((p - 1) * 500));
        out.push_back(' ');
        appendNumber(out, t(p, kWot));
        out.push_back(' ');
        appendNumber(out, t(p, kLow));
        out.append("\r\n");
    }
    out.append(kEndLine).append("\r\n");
    return out;
}

std::optional<CurveSection> parseCurveData(std::string_view bytes) {
    if (!isSingleByteText(bytes)) return std::nullopt;
    LineReader lines(bytes);
    std::string_view line;
    if (!lines.next(line) || line != kCurveMagic) return std::nullopt;
    if (!lines.next(line) || line != kPointsLine) return std::nullopt;

    CurveSection section;
    for (int p = 1; p <= kPoints; ++p) {
        if (!lines.next(line)) return std::nullopt;
        const auto rpm = finiteNumber(nextField(line));
        const auto wot = finiteNumber(nextField(line));
        const auto low = finiteNumber(nextField(line));
        if (!rpm || *rpm != (p - 1) * 500.0 || !wot || !low || !nextField(line).empty())
            return std::nullopt;
        section.values(p, kWot) = *wot;
        section.values(p, kLow) = *low;
    }
    if (!lines.next(line) || line != kEndLine) return std::nullopt;
    section.end = lines.offset();
    return section;
}

std::optional<std::string> readSmallFile(const std::string& path) {
    std::error_code ec;
    // Only regular files: a directory, a FIFO or a device could block or never end.
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Read in chunks so that a small file costs little and a huge one stops at the cap.
    std::string bytes;
    std::array<char, 16384> chunk{};
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        bytes.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxCurveFileBytes) return std::nullopt;
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<Table16x2> readCurveFile(const std::string& path) {
    const auto bytes = readSmallFile(path);
    if (!bytes) return std::nullopt;
    const auto section = parseCurveData(*bytes);
    if (!section) return std::nullopt;
    return section->values;
}

} // namespace kv
