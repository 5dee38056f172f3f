// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/edit_snapshot.h"

namespace kv {

EditSnapshot takeSnapshot(const ProgramState& s) {
    return {s.live, s.params};
}

void restoreSnapshot(ProgramState& s, const EditSnapshot& snapshot) {
    s.live = snapshot.live;
    s.params = snapshot.params;
}

} // namespace kv
