// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>
#include <QTableView>

namespace kv {

class TableModel;

// The table as text: a 3 x 17 grid whose first row and column are headings.
class GridView : public QTableView {
    Q_OBJECT
public:
    explicit GridView(TableModel* model, QWidget* parent = nullptr);

    // Gives every row and column its share of the inner area, in twips less the
    // margins the layout leaves between cells.
    void fitCells(double twipsPerPixelX, double twipsPerPixelY);
    // The smallest cell, in pixels, that shows every text of the grid whole: a heading
    // may break after its "/", values up to "-40.0" fit on one line.
    [[nodiscard]] QSize minimumCellSize() const;
    void setCurrentCell(int row, int col);
    [[nodiscard]] int currentRow() const;
    [[nodiscard]] int currentCol() const;
    // After a refused edit: the editor opens again on the cell with the refused text, so
    // the user can correct it or abandon the edit.
    void reopenEditor(int row, int col, const QString& text);

private:
    void showSelectionColours(bool highlighted);
    QPalette m_highlight;
};

} // namespace kv
