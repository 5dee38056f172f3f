// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/file_save.h"
#include "table/program_state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// What a table file carries besides the curves.
struct TableFileParameters {
    ModuleParameters params;
    std::string TableType = "RACE";
};

// The ranges the reader holds the four numbers to; anything written outside them would
// read back as something else.
struct ParameterRange {
    std::int16_t lowest;
    std::int16_t highest;
};
inline constexpr ParameterRange kRearOffsetRange{-5, 5};
inline constexpr ParameterRange kRetardValRange{0, 10};
inline constexpr ParameterRange kCrankRevsRange{1, 3};
inline constexpr ParameterRange kRPMLimitRange{3000, 9900};

// The bytes of a table file: the curve data section, then the ten parameter lines.
[[nodiscard]] std::string tableFileText(const Table16x2& values, const ModuleParameters& params,
                                        const std::string& tableType);

// The table file of the open table (chart values, parameters, type), written atomically.
[[nodiscard]] bool writeTableFile(const std::string& path, const ProgramState& s);

// A table file as read from disk, not yet applied to anything.
struct TableFileContents {
    Table16x2 values;
    // Every line of the file that holds a "!", in file order.
    std::vector<std::string> parameterLines;
};

// Reads the curve data and gathers the parameter lines; nullopt when the file cannot
// be read as curve data (then Open Table reports "Error loading").
[[nodiscard]] std::optional<TableFileContents> readTableFile(const std::string& path);

// The values of the parameter section with nothing read yet: the file defaults for the
// numbers and the type, the flags as `current` holds them.
[[nodiscard]] TableFileParameters parameterDefaults(const ModuleParameters& current);

// Applies the kept lines to `p` by the reading rules of the parameter section. A number
// beyond the 16-bit range leaves its parameter unchanged; the other lines are still
// applied and the overflow error is thrown at the end, so that a caller that ignores it
// has everything else the file says.
void applyParameterLines(const std::vector<std::string>& lines, TableFileParameters& p);

} // namespace kv
