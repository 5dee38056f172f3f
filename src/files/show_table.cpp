// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/show_table.h"

namespace kv {

void showWholeTable(Shell& shell) {
    ProgramState& s = shell.state();
    copyAdvanceTableToLive(s);
    CopyChartToGrid(s);
    shell.liveTableChanged();
    shell.hideValueLabel();
    shell.resizeLayout();
    shell.setTableShown(true);
}

} // namespace kv
