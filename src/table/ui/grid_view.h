// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/grid_edit.h"

#include <QPalette>
#include <QTableView>
#include <optional>

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

    // The selection's corners; the current cell alone when nothing is selected, and
    // nothing when there is no current cell either.
    [[nodiscard]] std::optional<CellRange> selectedRange() const;
    // Makes the range's top-left cell current and extends the selection to its far corner.
    void selectRange(const CellRange& range);

Q_SIGNALS:
    // The right button went down at `globalPos`; the selection is left as it was.
    void rightButtonDown(QPoint globalPos);
    // The copy and paste keys (Ctrl+C and Ctrl+V on most systems), outside the editor.
    void copyKeyPressed();
    void pasteKeyPressed();
    // The menu key or Shift+F10: the pop-up menu is asked for at the current cell,
    // `globalPos` being just below it.
    void popupKeyPressed(QPoint globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showSelectionColours(bool highlighted);
    QPalette m_highlight;
};

} // namespace kv
