// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

namespace kv {

// Everything an edit of the open table can change: the chart values (full doubles), the
// grid texts as typed or pasted, and the eight module parameters. Undo and redo put a
// whole snapshot back, so every kind of edit is undone the same way.
struct EditSnapshot {
    LiveTable live;
    ModuleParameters params;
    bool operator==(const EditSnapshot& o) const {
        return live.values == o.live.values && live.texts == o.live.texts && params == o.params;
    }
};

[[nodiscard]] EditSnapshot takeSnapshot(const ProgramState& s);
void restoreSnapshot(ProgramState& s, const EditSnapshot& snapshot);

} // namespace kv
