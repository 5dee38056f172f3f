// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/cell_edit.h"

#include "table/numbers.h"

namespace kv {

CellLimits cellLimits(const ProgramState& s, int row, int col) {
    if (!s.exLimited()) return {0, 40};
    return {0, s.ExMaxTable(col, seriesOfRow(row))};
}

double holdToCellLimits(const ProgramState& s, int row, int col, double v) {
    const CellLimits limits = cellLimits(s, row, col);
    if (v < limits.lowest) return limits.lowest;
    if (v > limits.highest) return limits.highest;
    return v;
}

std::optional<std::string> refuseEdit(const ProgramState& s, int row, int col,
                                      const std::string& text) {
    if (!isNumeric(text)) return "Advance must be numeric value.";
    const double v = leadingNumber(text);
    const CellLimits limits = cellLimits(s, row, col);
    if (v >= limits.lowest && v <= limits.highest) return std::nullopt;
    if (!s.exLimited()) return "Advance must be numeric value between zero and 40 degrees.";
    return "EX version advance must be numeric value between zero and " + format1(limits.highest) +
           " degrees.";
}

} // namespace kv
