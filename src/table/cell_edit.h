// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <optional>
#include <string>

namespace kv {

// The values data cell (row, col) may be given by an edit: 0 to 40 degrees, and for "EX"
// and "TEX" tables 0 to the cell's ExMaxTable entry. Typing refuses what lies outside;
// Paste and Modify hold their results to it.
struct CellLimits {
    double lowest = 0;
    double highest = 40;
};
[[nodiscard]] CellLimits cellLimits(const ProgramState& s, int row, int col);

// `v` held to the cell's limits; a value that is not a number stays one.
[[nodiscard]] double holdToCellLimits(const ProgramState& s, int row, int col, double v);

// Checks a text typed into data cell (row, col) against the open table's limits.
// Returns the refusal to show (titled "Advance Edit"), or nothing when it is accepted.
[[nodiscard]] std::optional<std::string> refuseEdit(const ProgramState& s, int row, int col,
                                                    const std::string& text);

} // namespace kv
