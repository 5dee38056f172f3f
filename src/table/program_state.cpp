// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/program_state.h"

#include "table/numbers.h"

namespace kv {

void LiveTable::writeHeadings() {
    setText(0, 0, "MAP/RPM");
    for (int c = 1; c < kGridCols; ++c)
        setText(0, c, formatNumber((c - 1) * 500.0, "#0"));
    setText(1, 0, "Low");
    setText(2, 0, "WOT");
}

void ProgramState::resetToStart() {
    AdvanceTable.fill(0);
    ExMaxTable.fill(0);
    FirmwareID.clear();
    TableFile.clear();
    TableType = "RACE";
    params = ModuleParameters{};
    CopyBuffer.clear();
    CopyRowExtent = 0;
    CopyColExtent = 0;
    AbortRequested = false;
}

void copyAdvanceTableToLive(ProgramState& s) {
    s.live.values = s.AdvanceTable;
}

void copyLiveToAdvanceTable(ProgramState& s) {
    s.AdvanceTable = s.live.values;
}

void CopyChartToGrid(ProgramState& s) {
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= kPoints; ++c)
            s.live.setText(r, c, format1(s.live.value(seriesOfRow(r), c)));
}

void setOneValue(ProgramState& s, int row, int col, double v) {
    s.live.values(col, seriesOfRow(row)) = v;
    s.live.setText(row, col, format1(v));
}

void ClearEEPROMBuffer(ProgramState& s) {
    s.EEPROMBuffer.fill(0);
}

} // namespace kv
