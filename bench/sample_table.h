// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

// The table the widget benches draw and edit: two rising curves, shown in the grid.
inline void fillSampleTable(kv::ProgramState& state) {
    for (int p = 1; p <= kv::kPoints; ++p) {
        state.live.values(p, kv::kWot) = 8.0 + 1.5 * p;
        state.live.values(p, kv::kLow) = 4.0 + 1.0 * p;
    }
    kv::CopyChartToGrid(state);
}
