// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/table_model.h"

#include "table/numbers.h"
#include "table/table_diff.h"
#include "table/ui/edit_history.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>

namespace kv {
namespace {

// The tint of a cell that differs from the table compared with: a pale amber that keeps
// the text readable and shows through the selection colours.
const QColor kDiffersTint(255, 214, 140);

} // namespace

TableModel::TableModel(ProgramState& state, QObject* parent)
    : QAbstractTableModel(parent), m_state(state) {}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridRows;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridCols;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int r = index.row(), c = index.column();
    const bool heading = r == 0 || c == 0;
    const bool differs =
        !heading && m_reference &&
        valuesDiffer(m_state.live.values(c, seriesOfRow(r)), (*m_reference)(c, seriesOfRow(r)));
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromLatin1(m_state.live.text(r, c));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::BackgroundRole:
        if (heading) return QGuiApplication::palette().brush(QPalette::Button);
        if (differs) return QBrush(kDiffersTint);
        return {};
    case Qt::ToolTipRole:
        if (differs)
            return QStringLiteral("%1: %2").arg(
                m_referenceName,
                QString::fromStdString(format1((*m_reference)(c, seriesOfRow(r)))));
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && index.row() > 0 && index.column() > 0) f |= Qt::ItemIsEditable;
    return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() == 0 || index.column() == 0)
        return false;
    const int r = index.row(), c = index.column();
    const std::string text = value.toString().toLatin1().toStdString();
    if (m_check && !m_check(r, c, text)) return false;
    const EditSnapshot before = takeSnapshot(m_state);
    // An accepted text stays as typed; the chart takes its numeric value.
    m_state.live.setText(r, c, text);
    m_state.live.values(c, seriesOfRow(r)) = leadingNumber(text);
    if (m_history) m_history->record(QStringLiteral("Typing"), before);
    Q_EMIT dataChanged(index, index);
    Q_EMIT cellEdited(r, c);
    return true;
}

void TableModel::setReference(std::optional<Table16x2> reference, const QString& name) {
    m_reference = std::move(reference);
    m_referenceName = name.isEmpty() ? QStringLiteral("Compared table") : name;
    storeChanged();
}

void TableModel::storeChanged() {
    Q_EMIT dataChanged(this->index(0, 0), this->index(kGridRows - 1, kGridCols - 1));
}

void TableModel::cellChanged(int row, int col) {
    const QModelIndex i = index(row, col);
    Q_EMIT dataChanged(i, i);
}

} // namespace kv
