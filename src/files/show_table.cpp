// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/show_table.h"

namespace kv {

void showWholeTable(Shell& shell, const std::string& file) {
    ProgramState& s = shell.state();
    s.TableFile = file;
    copyAdvanceTableToLive(s);
    CopyChartToGrid(s);
    shell.liveTableChanged();
    shell.hideValueLabel();
    shell.resizeLayout();
    shell.setTableShown(true);
}

} // namespace kv
