// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/curve_data.h"

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

// Cuts the next CR LF line off `rest`; nullopt when no CR LF ends it, or when a bare
// CR or LF stands inside it.
std::optional<std::string_view> nextLine(std::string_view& rest) {
    const auto lf = rest.find('\n');
    if (lf == std::string_view::npos || lf == 0 || rest[lf - 1] != '\r') return std::nullopt;
    const std::string_view line = rest.substr(0, lf - 1);
    if (line.find('\r') != std::string_view::npos) return std::nullopt;
    rest.remove_prefix(lf + 1);
    return line;
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

// A finite double spelled as a whole field; from_chars also takes "nan" and "inf",
// which are refused here, and reports values beyond the range of a double.
std::optional<double> finiteNumber(std::string_view field) {
    if (field.empty()) return std::nullopt;
    double v = 0;
    const auto res = std::from_chars(field.data(), field.data() + field.size(), v);
    if (res.ec != std::errc() || res.ptr != field.data() + field.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

bool onlyTextBytes(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || (c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c == 0x7F)
            return false;
    }
    return true;
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
    if (!onlyTextBytes(bytes)) return std::nullopt;
    std::string_view rest = bytes;
    const auto magic = nextLine(rest);
    if (!magic || *magic != kCurveMagic) return std::nullopt;
    const auto shape = nextLine(rest);
    if (!shape || *shape != kPointsLine) return std::nullopt;

    CurveSection section;
    for (int p = 1; p <= kPoints; ++p) {
        auto line = nextLine(rest);
        if (!line) return std::nullopt;
        const auto rpm = finiteNumber(nextField(*line));
        const auto wot = finiteNumber(nextField(*line));
        const auto low = finiteNumber(nextField(*line));
        if (!rpm || *rpm != (p - 1) * 500.0 || !wot || !low || !nextField(*line).empty())
            return std::nullopt;
        section.values(p, kWot) = *wot;
        section.values(p, kLow) = *low;
    }
    const auto end = nextLine(rest);
    if (!end || *end != kEndLine) return std::nullopt;
    section.end = bytes.size() - rest.size();
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
