// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// A rectangle of grid cells, both corners included, with row1 <= row2 and col1 <= col2.
struct CellRange {
    int row1 = 0;
    int col1 = 0;
    int row2 = 0;
    int col2 = 0;
    bool operator==(const CellRange&) const = default;
    // The rectangle between two corners given in any order.
    [[nodiscard]] static CellRange spanning(int rowA, int colA, int rowB, int colB);
};

// Rows 1..2 and columns 1..16 hold data; row 0 and column 0 are headings.
[[nodiscard]] constexpr bool isDataCell(int row, int col) {
    return row >= 1 && row < kGridRows && col >= 1 && col < kGridCols;
}

// The grid's clip format: the cells of a row separated by a tab, rows by a carriage
// return, nothing after the last cell.
[[nodiscard]] std::string clipText(const LiveTable& live, const CellRange& range);

// Copy: the selection's texts (headings included) into CopyBuffer and its size less one
// into CopyRowExtent and CopyColExtent.
void copySelection(ProgramState& s, const CellRange& selection);

// Paste of the copy buffer. A block is anchored at the selection's top-left cell; a
// single copied cell fills the whole selection. Only the data cells under the target
// change: the rest of a block that reaches past the grid or over the headings is left
// out. Each pasted cell is then held to the limits of a typed cell (a cell moved onto a
// limit shows it "#0.0"), and its value becomes the leading-number reading of its text. Returns the
// target, cut to the grid: the block to select afterwards.
CellRange pasteCopyBuffer(ProgramState& s, const CellRange& selection);

// A Modify Selection entry read into its rule.
struct ModifyRule {
    bool percent = false;  // the entry holds a "%"
    bool relative = false; // the entry holds a "+" or a "-"
    double n = 0;
};

// Reads an input box answer: blanks around it are dropped, the flags are taken, and n is
// the leading-number reading of the entry without its "%" and "+" characters. Nothing
// for an empty answer, which leaves the selection as it is.
[[nodiscard]] std::optional<ModifyRule> readModifyEntry(std::string_view answer);

// The new value of a cell holding x: n, x + n, x * n / 100 or x * (1 + n / 100).
[[nodiscard]] double applyModifyRule(const ModifyRule& rule, double x);

// Sets data cell (row, col) to y held to the limits of a typed cell (holdToCellLimits),
// its text "#0.0" of the result. A result that is no number leaves the cell as it was.
// Every edit that computes new values writes them through here.
void setHeldValue(ProgramState& s, int row, int col, double y);

// Applies the rule to every data cell of the selection (headings are left alone), cell
// x being the leading-number reading of its text, and holds each result to the limits of
// a typed cell: the value keeps the exact result, the text shows it "#0.0". A result that
// is no number (a percentage beyond any double of a cell at 0) leaves its cell as it was.
void modifySelection(ProgramState& s, const CellRange& selection, const ModifyRule& rule);

} // namespace kv
