// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/grid_view.h"

#include "table/program_state.h"
#include "table/ui/table_model.h"
#include "table/window_layout.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <algorithm>

namespace kv {

GridView::GridView(TableModel* model, QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("VSFlexGrid1"));
    setModel(model);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setToolTip(QStringLiteral("Click to select or double click to edit cell"));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // One rectangle at a time; the right button is the grid's own (its pop-up menu).
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    setCurrentCell(0, 0);
    m_highlight = palette();
    // Selected cells are drawn highlighted only while the current cell is a data cell.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now) {
                showSelectionColours(now.row() > 0 && now.column() > 0);
            });
    showSelectionColours(false);
}

void GridView::showSelectionColours(bool highlighted) {
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Highlight,
                   highlighted ? m_highlight.color(group, QPalette::Highlight)
                               : m_highlight.color(group, QPalette::Base));
        p.setColor(group, QPalette::HighlightedText,
                   highlighted ? m_highlight.color(group, QPalette::HighlightedText)
                               : m_highlight.color(group, QPalette::Text));
    }
    setPalette(p);
}

void GridView::fitCells(double tppX, double tppY) {
    const int innerW = static_cast<int>(viewport()->width() * tppX);
    const int innerH = static_cast<int>(viewport()->height() * tppY);
    const int rowPx = std::max(1, static_cast<int>(gridRowHeight(innerH) / tppY));
    const int colPx = std::max(1, static_cast<int>(gridColumnWidth(innerW) / tppX));
    for (int r = 0; r < kGridRows; ++r)
        setRowHeight(r, rowPx);
    for (int c = 0; c < kGridCols; ++c)
        setColumnWidth(c, colPx);
}

QSize GridView::minimumCellSize() const {
    const QFontMetrics fm(font());
    const int margin = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    int widest = fm.horizontalAdvance(QStringLiteral("-40.0"));
    int lines = 1;
    for (int r = 0; r < model()->rowCount(); ++r)
        for (int c = 0; c < model()->columnCount(); ++c) {
            const QString text = model()->index(r, c).data().toString();
            // Word wrap breaks after a "/" and at blanks.
            const QStringList parts =
                QString(text).replace(QLatin1Char('/'), QStringLiteral("/ ")).split(u' ');
            lines = std::max(lines, static_cast<int>(parts.size()));
            for (const QString& part : parts)
                widest = std::max(widest, fm.horizontalAdvance(part));
        }
    return {widest + margin + 2, lines * fm.lineSpacing() + 4};
}

void GridView::setCurrentCell(int row, int col) {
    if (!model()) return;
    setCurrentIndex(model()->index(row, col));
}

int GridView::currentRow() const {
    return currentIndex().row();
}
int GridView::currentCol() const {
    return currentIndex().column();
}

} // namespace kv

namespace kv {

void GridView::reopenEditor(int row, int col, const QString& text) {
    // The refused editor is still closing; open the new one once it has gone.
    QPointer<GridView> self(this);
    QTimer::singleShot(0, this, [self, row, col, text] {
        if (!self || !self->model()) return;
        const QModelIndex i = self->model()->index(row, col);
        self->setCurrentIndex(i);
        self->edit(i);
        if (auto* editor = qobject_cast<QLineEdit*>(self->indexWidget(i))) {
            editor->setText(text);
        } else if (auto* line = self->findChild<QLineEdit*>()) {
            line->setText(text);
        }
    });
}

std::optional<CellRange> GridView::selectedRange() const {
    const QModelIndexList cells = selectionModel()->selectedIndexes();
    if (cells.isEmpty()) {
        const QModelIndex cur = currentIndex();
        if (!cur.isValid()) return std::nullopt;
        return CellRange{cur.row(), cur.column(), cur.row(), cur.column()};
    }
    CellRange r{cells.front().row(), cells.front().column(), cells.front().row(),
                cells.front().column()};
    for (const QModelIndex& i : cells) {
        r.row1 = std::min(r.row1, i.row());
        r.col1 = std::min(r.col1, i.column());
        r.row2 = std::max(r.row2, i.row());
        r.col2 = std::max(r.col2, i.column());
    }
    return r;
}

void GridView::selectRange(const CellRange& range) {
    if (!model()) return;
    const QModelIndex anchor = model()->index(range.row1, range.col1);
    selectionModel()->setCurrentIndex(anchor, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(anchor, model()->index(range.row2, range.col2)),
                             QItemSelectionModel::ClearAndSelect);
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT rightButtonDown(event->globalPosition().toPoint());
        return;
    }
    QTableView::mousePressEvent(event);
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) return event->accept();
    QTableView::mouseReleaseEvent(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) return event->accept();
    QTableView::mouseDoubleClickEvent(event);
}

void GridView::keyPressEvent(QKeyEvent* event) {
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (event->key() == Qt::Key_Menu || shiftF10) {
        event->accept();
        const QModelIndex cur = currentIndex().isValid() ? currentIndex() : model()->index(0, 0);
        const QRect cell = visualRect(cur);
        Q_EMIT popupKeyPressed(viewport()->mapToGlobal(QPoint(cell.left(), cell.bottom())));
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        Q_EMIT copyKeyPressed();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        Q_EMIT pasteKeyPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace kv
