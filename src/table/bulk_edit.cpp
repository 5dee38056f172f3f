// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/bulk_edit.h"

#include "table/numbers.h"

#include <algorithm>
#include <array>

namespace kv {
namespace {

double rpmOfColumn(int col) {
    return (col - 1) * 500.0;
}

// Runs `each(row, data)` for every data row of the selection, when it spans three columns.
template <class Each> void alongRows(const CellRange& selection, Each&& each) {
    const auto data = dataCellsOf(selection);
    if (!data || data->col2 - data->col1 < 2) return;
    for (int r = data->row1; r <= data->row2; ++r)
        each(r, *data);
}

bool isBlankText(std::string_view t) {
    return t.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

std::optional<CellRange> dataCellsOf(const CellRange& selection) {
    const CellRange d{std::max(selection.row1, 1), std::max(selection.col1, 1),
                      std::min(selection.row2, kGridRows - 1),
                      std::min(selection.col2, kGridCols - 1)};
    if (d.row1 > d.row2 || d.col1 > d.col2) return std::nullopt;
    return d;
}

std::optional<std::string> refuseRowEdit(const CellRange& selection, const std::string& command) {
    const auto data = dataCellsOf(selection);
    if (!data)
        return command + " works on the Low and WOT rows: select cells of them, not headings only.";
    if (data->col2 - data->col1 < 2)
        return command + " needs at least three columns selected: two ends and a cell between.";
    return std::nullopt;
}

void interpolateSelection(ProgramState& s, const CellRange& selection) {
    alongRows(selection, [&](int r, const CellRange& d) {
        const int series = seriesOfRow(r);
        const double a = s.live.value(series, d.col1);
        const double b = s.live.value(series, d.col2);
        const double from = rpmOfColumn(d.col1);
        const double span = rpmOfColumn(d.col2) - from;
        for (int c = d.col1 + 1; c < d.col2; ++c)
            setHeldValue(s, r, c, a + (b - a) * (rpmOfColumn(c) - from) / span);
    });
}

void smoothSelection(ProgramState& s, const CellRange& selection) {
    alongRows(selection, [&](int r, const CellRange& d) {
        const int series = seriesOfRow(r);
        std::array<double, kGridCols> was{};
        for (int c = d.col1; c <= d.col2; ++c)
            was[std::size_t(c)] = s.live.value(series, c);
        for (int c = d.col1 + 1; c < d.col2; ++c) {
            const auto at = std::size_t(c);
            setHeldValue(s, r, c, (was[at - 1] + 2 * was[at] + was[at + 1]) / 4);
        }
    });
}

TextBlock splitTextBlock(std::string_view text) {
    TextBlock b;
    if (text.find('\t') == std::string_view::npos)
        b.separator = text.find(';') != std::string_view::npos ? ';' : ',';
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;
    const auto endRow = [&] {
        row.push_back(std::move(cell));
        b.rows.push_back(std::move(row));
        row.clear();
        cell.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                cell += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                cell += text[++i];
            else
                quoted = false;
        } else if (c == '"' && isBlankText(cell)) {
            quoted = true;
            cell.clear();
        } else if (c == b.separator) {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endRow();
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !row.empty()) endRow(); // no line end after the last row
    b.decimalComma = b.separator != ',';
    for (const auto& r : b.rows)
        for (const std::string& t : r) {
            const auto commas = std::count(t.begin(), t.end(), ',');
            if (commas > 1 || (commas == 1 && t.find('.') != std::string::npos))
                b.decimalComma = false;
        }
    return b;
}

std::optional<double> blockCellNumber(const TextBlock& block, std::string_view cell) {
    std::string t(cell);
    if (block.decimalComma) std::replace(t.begin(), t.end(), ',', '.');
    return leadingNumberIfAny(t);
}

std::optional<CellRange> pasteTextBlock(ProgramState& s, const TextBlock& block, int row, int col) {
    std::optional<CellRange> landed;
    for (std::size_t i = 0; i < block.rows.size(); ++i)
        for (std::size_t j = 0; j < block.rows[i].size(); ++j) {
            const int r = row + int(std::min<std::size_t>(i, kGridRows));
            const int c = col + int(std::min<std::size_t>(j, kGridCols));
            const auto v = blockCellNumber(block, block.rows[i][j]);
            if (!v || !isDataCell(r, c)) continue;
            setHeldValue(s, r, c, *v);
            landed = landed
                         ? CellRange::spanning(std::min(landed->row1, r), std::min(landed->col1, c),
                                               std::max(landed->row2, r), std::max(landed->col2, c))
                         : CellRange{r, c, r, c};
        }
    return landed;
}

} // namespace kv
