// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/cell_edit.h"

#include "table/numbers.h"

namespace kv {

std::optional<std::string> refuseEdit(const ProgramState& s, int row, int col,
                                      const std::string& text) {
    if (!isNumeric(text)) return "Advance must be numeric value.";
    const double v = leadingNumber(text);
    if (!s.exLimited()) {
        if (v < 0 || v > 40) return "Advance must be numeric value between zero and 40 degrees.";
        return std::nullopt;
    }
    const double m = s.ExMaxTable(col, seriesOfRow(row));
    if (v > m || v < 0)
        return "EX version advance must be numeric value between zero and " + format1(m) +
               " degrees.";
    return std::nullopt;
}

} // namespace kv
