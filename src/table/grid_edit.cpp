// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/grid_edit.h"

#include "table/cell_edit.h"
#include "table/numbers.h"
#include "textlib/text_routines.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kv {
namespace {

constexpr char kCellSeparator = '\t';
constexpr char kRowSeparator = '\r';

// The part of the rectangle (row1, col1)-(row2, col2) on the grid; empty (row2 < row1)
// when none of it is.
CellRange onGrid(long row1, long col1, long row2, long col2) {
    const auto clampTo = [](long v, long hi) { return static_cast<int>(std::clamp(v, 0L, hi)); };
    CellRange out{clampTo(row1, kGridRows), clampTo(col1, kGridCols), clampTo(row2, kGridRows - 1L),
                  clampTo(col2, kGridCols - 1L)};
    if (row1 < 0 || col1 < 0) out.row2 = out.row1 - 1;
    return out;
}

using CellMask = std::array<std::array<bool, kGridCols>, kGridRows>;

// Writes the clip string cell by cell from the target's top-left corner, leaving out what
// falls outside the target or on a heading; marks the cells written.
void writeClip(LiveTable& live, std::string_view clip, const CellRange& target, CellMask& written) {
    int row = target.row1;
    int col = target.col1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= clip.size() && row <= target.row2; ++i) {
        const bool end = i == clip.size();
        if (!end && clip[i] != kCellSeparator && clip[i] != kRowSeparator) continue;
        if (col <= target.col2 && isDataCell(row, col)) {
            live.setText(row, col, std::string(clip.substr(start, i - start)));
            written[std::size_t(row)][std::size_t(col)] = true;
        }
        start = i + 1;
        if (end || clip[i] == kRowSeparator) {
            ++row;
            col = target.col1;
        } else {
            ++col;
        }
    }
}

} // namespace

CellRange CellRange::spanning(int rowA, int colA, int rowB, int colB) {
    return {std::min(rowA, rowB), std::min(colA, colB), std::max(rowA, rowB), std::max(colA, colB)};
}

std::string clipText(const LiveTable& live, const CellRange& range) {
    std::string out;
    for (int r = range.row1; r <= range.row2; ++r) {
        if (r > range.row1) out += kRowSeparator;
        for (int c = range.col1; c <= range.col2; ++c) {
            if (c > range.col1) out += kCellSeparator;
            out += live.text(r, c);
        }
    }
    return out;
}

void copySelection(ProgramState& s, const CellRange& selection) {
    s.CopyBuffer = clipText(s.live, selection);
    s.CopyRowExtent = selection.row2 - selection.row1;
    s.CopyColExtent = selection.col2 - selection.col1;
}

CellRange pasteCopyBuffer(ProgramState& s, const CellRange& selection) {
    const bool block = s.CopyRowExtent != 0 || s.CopyColExtent != 0;
    const CellRange target =
        block ? onGrid(selection.row1, selection.col1, selection.row1 + s.CopyRowExtent,
                       selection.col1 + s.CopyColExtent)
              : onGrid(selection.row1, selection.col1, selection.row2, selection.col2);

    CellMask written{};
    if (block) {
        writeClip(s.live, s.CopyBuffer, target, written);
    } else {
        for (int r = target.row1; r <= target.row2; ++r)
            for (int c = target.col1; c <= target.col2; ++c)
                if (isDataCell(r, c)) {
                    s.live.setText(r, c, s.CopyBuffer);
                    written[std::size_t(r)][std::size_t(c)] = true;
                }
    }

    const auto pasted = [&](auto&& each) {
        for (int r = target.row1; r <= target.row2; ++r)
            for (int c = target.col1; c <= target.col2; ++c)
                if (isDataCell(r, c) && written[std::size_t(r)][std::size_t(c)]) each(r, c);
    };
    // A pasted text may come from anywhere on the grid (a heading, a value a module held
    // above what may be typed): each cell is held to the limits a typed one gets.
    pasted([&](int r, int c) {
        const double v = leadingNumber(s.live.text(r, c));
        const double held = holdToCellLimits(s, r, c, v);
        if (held != v) s.live.setText(r, c, format1(held));
    });
    pasted(
        [&](int r, int c) { s.live.values(c, seriesOfRow(r)) = leadingNumber(s.live.text(r, c)); });
    return target;
}

std::optional<ModifyRule> readModifyEntry(std::string_view answer) {
    const auto first = answer.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view entry = answer.substr(first, answer.find_last_not_of(' ') + 1 - first);
    ModifyRule rule;
    rule.percent = entry.find('%') != std::string_view::npos;
    rule.relative = entry.find_first_of("+-") != std::string_view::npos;
    rule.n = leadingNumber(StripChars(1, entry, "%+"));
    return rule;
}

double applyModifyRule(const ModifyRule& rule, double x) {
    if (rule.percent) return rule.relative ? x * (1 + rule.n / 100) : x * (rule.n / 100);
    return rule.relative ? x + rule.n : rule.n;
}

void setHeldValue(ProgramState& s, int row, int col, double y) {
    const double held = holdToCellLimits(s, row, col, y);
    if (std::isfinite(held)) setOneValue(s, row, col, held);
}

void modifySelection(ProgramState& s, const CellRange& selection, const ModifyRule& rule) {
    for (int r = std::max(selection.row1, 1); r <= std::min(selection.row2, kGridRows - 1); ++r)
        for (int c = std::max(selection.col1, 1); c <= std::min(selection.col2, kGridCols - 1);
             ++c) {
            const double x = leadingNumber(s.live.text(r, c));
            setHeldValue(s, r, c, applyModifyRule(rule, x));
        }
}

} // namespace kv
