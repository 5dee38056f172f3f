// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"

namespace kv {

// Shows AdvanceTable as the open table: one bulk copy into the chart's values, the grid
// texts from them, the value label hidden, the window laid out, chart and grid shown
// with cell (0, 0) current. New Table, Open Table and Download all end this way. `file`
// is the table file it was read from, empty when it comes from none.
void showWholeTable(Shell& shell, const std::string& file = {});

} // namespace kv
