// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/chart_template.h"

#include "textlib/text_lines.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace kv {
namespace {

constexpr std::size_t kMaxTextBytes = 120;
constexpr double kMaxAxisMagnitude = 1e6;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// Well-formed UTF-8 without control characters: legend texts may be in any language,
// but what reaches the chart must be printable.
bool isPrintableUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        // The lead byte says how many continuation bytes follow.
        const std::size_t extra = (c & 0xE0) == 0xC0   ? 1
                                  : (c & 0xF0) == 0xE0 ? 2
                                  : (c & 0xF8) == 0xF0 ? 3
                                                       : 0;
        if (extra == 0) return false;
        std::uint32_t cp = c & (0x3Fu >> extra);
        if (i + extra >= s.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x80 && cp < 0xA0) return false;
        i += extra + 1;
    }
    return true;
}

bool parseNumber(std::string_view s, double& out) {
    s = trim(s);
    if (s.empty() || s.size() > 32) return false;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, out, std::chars_format::fixed);
    return ec == std::errc() && ptr == end && std::isfinite(out);
}

bool parseInt(std::string_view s, int lo, int hi, int& out) {
    s = trim(s);
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, out);
    return !s.empty() && ec == std::errc() && ptr == end && out >= lo && out <= hi;
}

bool parseColor(std::string_view s, std::uint32_t& out) {
    s = trim(s);
    if (s.size() != 7 || s[0] != '#') return false;
    std::uint32_t v = 0;
    for (char c : s.substr(1)) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0) return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    out = v;
    return true;
}

bool parseRange(std::string_view s, double& lo, double& hi) {
    s = trim(s);
    const auto gap = s.find_first_of(" \t");
    if (gap == std::string_view::npos) return false;
    double a = 0, b = 0;
    if (!parseNumber(s.substr(0, gap), a) || !parseNumber(s.substr(gap), b)) return false;
    if (!(a < b) || std::fabs(a) > kMaxAxisMagnitude || std::fabs(b) > kMaxAxisMagnitude)
        return false;
    lo = a;
    hi = b;
    return true;
}

bool parseReal(std::string_view s, double lo, double hi, double& out) {
    double v = 0;
    if (!parseNumber(s, v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool parseText(std::string_view s, std::string& out) {
    s = trim(s);
    if (s.empty() || s.size() > kMaxTextBytes || !isPrintableUtf8(s)) return false;
    out = std::string(s);
    return true;
}

bool parseLegendPlace(std::string_view s, ChartLook::LegendPlace& out) {
    using P = ChartLook::LegendPlace;
    static const std::map<std::string_view, P> places{{"top", P::Top},
                                                      {"bottom", P::Bottom},
                                                      {"left", P::Left},
                                                      {"right", P::Right},
                                                      {"hidden", P::Hidden}};
    const auto it = places.find(trim(s));
    if (it == places.end()) return false;
    out = it->second;
    return true;
}

using Setter = std::function<bool(std::string_view, ChartLook&)>;

const std::map<std::string_view, std::pair<Setter, const char*>>& setters() {
    using L = ChartLook;
    static const std::map<std::string_view, std::pair<Setter, const char*>> table{
        {"header", {[](auto v, L& l) { return parseText(v, l.header); }, "a text"}},
        {"header.size", {[](auto v, L& l) { return parseInt(v, 6, 48, l.headerSize); }, "6 to 48"}},
        {"x.title", {[](auto v, L& l) { return parseText(v, l.x.title); }, "a text"}},
        {"y.title", {[](auto v, L& l) { return parseText(v, l.y.title); }, "a text"}},
        {"x.range",
         {[](auto v, L& l) { return parseRange(v, l.x.min, l.x.max); }, "two numbers, min < max"}},
        {"y.range",
         {[](auto v, L& l) { return parseRange(v, l.y.min, l.y.max); }, "two numbers, min < max"}},
        {"x.ticks", {[](auto v, L& l) { return parseInt(v, 2, 41, l.x.ticks); }, "2 to 41"}},
        {"y.ticks", {[](auto v, L& l) { return parseInt(v, 2, 41, l.y.ticks); }, "2 to 41"}},
        {"x.decimals", {[](auto v, L& l) { return parseInt(v, 0, 3, l.x.decimals); }, "0 to 3"}},
        {"y.decimals", {[](auto v, L& l) { return parseInt(v, 0, 3, l.y.decimals); }, "0 to 3"}},
        {"legend",
         {[](auto v, L& l) { return parseLegendPlace(v, l.legend); },
          "top, bottom, left, right or hidden"}},
        {"background", {[](auto v, L& l) { return parseColor(v, l.background); }, "#RRGGBB"}},
        {"plot.background",
         {[](auto v, L& l) { return parseColor(v, l.plotBackground); }, "#RRGGBB"}},
        {"grid.color", {[](auto v, L& l) { return parseColor(v, l.gridColor); }, "#RRGGBB"}},
        {"text.color", {[](auto v, L& l) { return parseColor(v, l.textColor); }, "#RRGGBB"}},
        {"label.color", {[](auto v, L& l) { return parseColor(v, l.labelColor); }, "#RRGGBB"}},
        {"label.background",
         {[](auto v, L& l) { return parseColor(v, l.labelBackground); }, "#RRGGBB"}},
    };
    return table;
}

// "seriesN.field" keys, N being the chart series number.
bool setSeriesKey(std::string_view key, std::string_view value, ChartLook& look, bool& known,
                  const char*& expected) {
    known = false;
    if (key.size() < 9 || key.substr(0, 6) != "series" || key[7] != '.') return false;
    if (key[6] != '1' && key[6] != '2') return false;
    auto& s = look.series[key[6] == '1' ? 0 : 1];
    const auto field = key.substr(8);
    known = true;
    if (field == "legend") {
        expected = "a text";
        return parseText(value, s.legend);
    }
    if (field == "color") {
        expected = "#RRGGBB";
        return parseColor(value, s.color);
    }
    if (field == "width") {
        expected = "0.5 to 10";
        return parseReal(value, 0.5, 10, s.width);
    }
    if (field == "marker") {
        expected = "0 to 30";
        return parseReal(value, 0, 30, s.marker);
    }
    known = false;
    return false;
}

ChartTemplateResult fail(const ChartLook& base, std::size_t line, const std::string& what) {
    ChartTemplateResult r;
    r.look = base;
    r.error = (line ? "line " + std::to_string(line) + ": " : std::string()) + what;
    return r;
}

} // namespace

ChartTemplateResult parseChartTemplate(std::string_view text, const ChartLook& base) {
    if (text.size() > kChartTemplateMaxBytes) return fail(base, 0, "the template is too large");
    if (text.find('\0') != std::string_view::npos)
        return fail(base, 0, "the template is not a text file");

    // A byte-order mark is what some editors put in front of a UTF-8 file; without one the
    // template is Windows-1252 text like every other file of the program.
    const bool utf8 = text.substr(0, 3) == "\xEF\xBB\xBF";
    if (utf8) text.remove_prefix(3);

    ChartLook look = base;
    std::set<std::string, std::less<>> seen;
    std::size_t lineNo = 0;
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        ++lineNo;
        if (lineNo == 1) {
            if (trim(line) != kChartTemplateMagic)
                return fail(base, 1,
                            "not a chart template (expected \"" + std::string(kChartTemplateMagic) +
                                "\")");
            continue;
        }
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) return fail(base, lineNo, "expected \"key = value\"");
        const auto key = trim(line.substr(0, eq));
        const std::string value =
            utf8 ? std::string(line.substr(eq + 1)) : fromWindows1252(line.substr(eq + 1));
        if (key.empty() || key.size() > 40) return fail(base, lineNo, "expected \"key = value\"");
        if (seen.contains(key))
            return fail(base, lineNo, "\"" + std::string(key) + "\" is given twice");
        seen.emplace(key);

        bool ok = false;
        const char* expected = "";
        if (const auto it = setters().find(key); it != setters().end()) {
            ok = it->second.first(value, look);
            expected = it->second.second;
        } else {
            bool known = false;
            ok = setSeriesKey(key, value, look, known, expected);
            if (!known) return fail(base, lineNo, "unknown key \"" + std::string(key) + "\"");
        }
        if (!ok)
            return fail(base, lineNo,
                        "\"" + std::string(key) + "\" must be " + std::string(expected));
    }
    if (lineNo == 0) return fail(base, 0, "the template is empty");

    ChartTemplateResult r;
    r.ok = true;
    r.look = std::move(look);
    return r;
}

ChartTemplateResult readChartTemplate(const std::string& path, const ChartLook& base) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return fail(base, 0, path + " not found");
    if (!fs::is_regular_file(status)) return fail(base, 0, path + " is not a file");

    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(base, 0, path + " cannot be read");
    std::vector<char> bytes(kChartTemplateMaxBytes + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return fail(base, 0, path + " cannot be read");
    const auto n = static_cast<std::size_t>(in.gcount());
    if (n > kChartTemplateMaxBytes) return fail(base, 0, path + " is too large for a template");
    return parseChartTemplate(std::string_view(bytes.data(), n), base);
}

} // namespace kv
