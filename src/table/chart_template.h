// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// The chart's appearance. A default-constructed look is the one designed in the
// program; a chart template replaces any part of it.
//
// Template text (Windows-1252, or UTF-8 after a byte-order mark; any line end, a final
// Ctrl-Z ignored): the first line is exactly "Kestrel Vanta chart template 1"; every
// further line is empty, a comment starting with "#", or "key = value". Keys:
//   header, x.title, y.title, series1.legend, series2.legend   text, 1..120 bytes
//   header.size                                                 point size 6..48
//   x.range, y.range                  two numbers "min max", min < max, |n| <= 1e6
//   x.ticks, y.ticks                  tick count 2..41
//   x.decimals, y.decimals            label decimals 0..3
//   legend                            top, bottom, left, right or hidden
//   background, plot.background, grid.color, text.color,
//   series1.color, series2.color, label.color, label.background   colour "#RRGGBB"
//   series1.width, series2.width      line width 0.5..10
//   series1.marker, series2.marker    marker size 0..30 (0: no markers)
// Keys are lower case, each may appear once, unknown keys are refused so a typo is
// not silently ignored. Keys left out keep the designed value.
struct ChartLook {
    struct Axis {
        std::string title;
        double min = 0;
        double max = 0;
        int ticks = 0;
        int decimals = 0;
        bool operator==(const Axis&) const = default;
    };
    struct Series {
        std::string legend;
        std::uint32_t color = 0; // 0xRRGGBB
        double width = 2.0;
        double marker = 5.0;
        bool operator==(const Series&) const = default;
    };
    enum class LegendPlace { Top, Bottom, Left, Right, Hidden };

    std::string header = "Advance Curves";
    int headerSize = 12;
    Axis x{"RPM", 0, 7500, 16, 0};
    Axis y{"Advance (Deg)", 0, 45, 10, 0};
    // Index 0 is chart series 1 (WOT), index 1 series 2 (Low).
    std::array<Series, 2> series{Series{"WOT", 0xC0392B, 2.0, 5.0},
                                 Series{"Low MAP", 0x1F5FAF, 2.0, 5.0}};
    LegendPlace legend = LegendPlace::Top;
    std::uint32_t background = 0xFFFFFF;
    std::uint32_t plotBackground = 0xFFFFFF;
    std::uint32_t gridColor = 0xD0D0D0;
    std::uint32_t textColor = 0x202020;
    std::uint32_t labelColor = 0x000000;
    std::uint32_t labelBackground = 0xFFF6C8;

    bool operator==(const ChartLook&) const = default;
};

inline constexpr std::string_view kChartTemplateMagic = "Kestrel Vanta chart template 1";
// A template is a page of text; anything larger is not one of ours.
inline constexpr std::size_t kChartTemplateMaxBytes = 64 * 1024;

struct ChartTemplateResult {
    bool ok = false;
    std::string error; // what was wrong, with the line number, when !ok
    ChartLook look;    // `base` with the template applied, when ok
};

// Applies the template text over `base`. All or nothing: on failure `look` is `base`.
[[nodiscard]] ChartTemplateResult parseChartTemplate(std::string_view text,
                                                     const ChartLook& base = {});

// Reads and parses a template file. Refuses anything but a regular file of at most
// kChartTemplateMaxBytes, so a device, a pipe or a huge file can neither hang nor
// exhaust the program.
[[nodiscard]] ChartTemplateResult readChartTemplate(const std::string& path,
                                                    const ChartLook& base = {});

} // namespace kv
