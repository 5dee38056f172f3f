// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/grid_edit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The data cells of a selection; nothing when it covers headings only.
[[nodiscard]] std::optional<CellRange> dataCellsOf(const CellRange& selection);

// Why `command` ("Interpolate", "Smooth") cannot work along the rows of the selection:
// it covers no data cell, or fewer than three columns of them. Nothing when it can.
[[nodiscard]] std::optional<std::string> refuseRowEdit(const CellRange& selection,
                                                       const std::string& command);

// In each selected row, the cells between the first and the last selected column go on
// the straight line between those two cells' values, by RPM. The two end cells stay.
void interpolateSelection(ProgramState& s, const CellRange& selection);

// In each selected row, every cell strictly inside the selection becomes
// (left + 2 x itself + right) / 4 of the values before the command. The end cells stay.
void smoothSelection(ProgramState& s, const CellRange& selection);

// Both write through setHeldValue, so their results keep the limits of every edit.

// Text copied from a spreadsheet, cut into rows and cells: rows at line ends, cells at tabs,
// or at semicolons, or else at commas, when the text holds no tab. A cell in double quotes
// may hold the separator. `decimalComma` is set when the separator is not a comma and no
// cell holds a second comma or a comma beside a point: commas then are decimal points.
struct TextBlock {
    std::vector<std::vector<std::string>> rows;
    char separator = '\t';
    bool decimalComma = false;
};
[[nodiscard]] TextBlock splitTextBlock(std::string_view text);

// One cell of a block as a number: the leading-number reading, with a decimal comma read as
// the point when the block allows it. Nothing for a cell that holds no number.
[[nodiscard]] std::optional<double> blockCellNumber(const TextBlock& block, std::string_view cell);

// Paste From Spreadsheet: the block's numbers land from cell (row, col) on, each held by
// setHeldValue; what falls outside the data cells, and cells without a number, are left
// out. Returns the cells the block covers on the grid (what to select afterwards), or
// nothing when the block holds no number that lands on a data cell.
[[nodiscard]] std::optional<CellRange> pasteTextBlock(ProgramState& s, const TextBlock& block,
                                                      int row, int col);

} // namespace kv
