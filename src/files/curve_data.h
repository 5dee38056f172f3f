// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/table16x2.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The curve data layout shared by table files and the limit and template files
// (docs/file-format.md). Single-byte text lines, written ended by CR LF (read with any line
// end, textlib/text_lines.h):
//
//   KVCURVES 1
//   POINTS 16 SERIES 2
//   <rpm> <WOT> <Low>        16 lines, rpm 0, 500, ... 7500
//   END
//
// Values are written in the shortest form that reads back to the same double.

inline constexpr std::string_view kCurveMagic = "KVCURVES 1";
// No file the program reads needs more than this; anything longer is refused before it
// can cost time or memory.
inline constexpr std::size_t kMaxCurveFileBytes = 1u << 20;

// The curve data section of `t`, ready to be followed by anything else.
[[nodiscard]] std::string curveDataText(const Table16x2& t);

struct CurveSection {
    Table16x2 values;
    std::size_t end = 0; // offset of the first byte after the section
};

// Reads the curve data section at the start of `bytes`. Refuses (nullopt) anything not
// in the layout: a missing or truncated section, control bytes anywhere in `bytes` (the
// file is not text), numbers beyond the range of a double, "nan" or "inf".
[[nodiscard]] std::optional<CurveSection> parseCurveData(std::string_view bytes);

// The whole of a regular file of at most kMaxCurveFileBytes; nullopt for a file that is
// missing, unreadable, not a regular file or larger.
[[nodiscard]] std::optional<std::string> readSmallFile(const std::string& path);

// A limit or template file: the curve data section, nothing more needed.
[[nodiscard]] std::optional<Table16x2> readCurveFile(const std::string& path);

} // namespace kv
