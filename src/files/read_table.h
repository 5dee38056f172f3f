// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <string>

namespace kv {

// What became of reading a table file without prompts. `message` is the text Open Table
// would show: "Error loading <path>", "Vanta_EX_Max.dat not found.", "Overflow".
struct TableReadResult {
    bool ok = true;
    std::string message;
    explicit operator bool() const { return ok; }
};

// Reads a table file as Open Table does, for callers without a window: the curve data
// into AdvanceTable, the parameter section into the module parameters and TableType
// (flags missing from the file keep their values), for "EX" and "TEX" the limit file
// from `companionFolder` into ExMaxTable with every cell above it lowered, and then the
// table into the live store with its grid texts. On failure nothing in `s` changes.
[[nodiscard]] TableReadResult readTableAsOpened(ProgramState& s, const std::string& path,
                                                const std::string& companionFolder);

} // namespace kv
