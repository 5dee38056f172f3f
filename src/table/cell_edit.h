// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <optional>
#include <string>

namespace kv {

// Checks a text typed into data cell (row, col) against the open table's limits.
// Returns the refusal to show (titled "Advance Edit"), or nothing when it is accepted.
[[nodiscard]] std::optional<std::string> refuseEdit(const ProgramState& s, int row, int col,
                                                    const std::string& text);

} // namespace kv
