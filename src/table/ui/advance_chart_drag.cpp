// SPDX-License-Identifier: GPL-3.0-or-later
// Drag editing: a left-button press on a point picks it, moves rewrite its value in
// 0.2-degree steps, the release hands the value to the grid.
#include "table/numbers.h"
#include "table/ui/advance_chart.h"
#include "table/ui/edit_history.h"

#include <QMouseEvent>

namespace kv {
namespace {

// Meta is not one of the keys that turn a plain left click into something else.
constexpr Qt::KeyboardModifiers kBlockingKeys =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

bool noBlockingKeys(const QMouseEvent* e) {
    return (e->modifiers() & kBlockingKeys) == 0;
}

QPoint wholePixels(const QMouseEvent* e) {
    const QPointF at = e->position();
    return {drag::toPixels(at.x()), drag::toPixels(at.y())};
}

QString text1(double v) {
    return QString::fromStdString(format1(v));
}

} // namespace

void AdvanceChart::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (m_drag.DragSuppressed) return;
    const QPoint at = wholePixels(event);
    m_drag.DragStartY = at.y();
    if (event->button() != Qt::LeftButton || !noBlockingKeys(event)) return;

    const drag::PickResult hit = pick(at);
    if (!drag::pickCounts(hit)) {
        m_drag.DragSeries = 0;
        m_drag.DragPoint = 0;
        m_dragging = false;
        return;
    }
    m_drag.DragSeries = hit.series;
    m_drag.DragPoint = hit.point;
    m_dragging = true;
    m_beforeDrag = takeSnapshot(m_state);
    Q_EMIT currentCellRequested(rowOfSeries(hit.series), hit.point);

    Batch batch(*this);
    m_drag.DragStartValue = value(hit.series, hit.point);
    attachValueLabel(hit.series, hit.point);
    setValueLabelText(text1(m_drag.DragStartValue));
    showValueLabel();
}

void AdvanceChart::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (m_drag.DragSuppressed || !m_dragging) return;
    if (event->buttons() != Qt::LeftButton || !noBlockingKeys(event)) return;

    Batch batch(*this);
    const double v =
        drag::draggedValue(m_state, m_drag.DragSeries, m_drag.DragPoint, m_drag.DragStartValue,
                           m_drag.DragStartY, wholePixels(event).y());
    setValue(m_drag.DragSeries, m_drag.DragPoint, v);
    setValueLabelText(text1(v));
}

void AdvanceChart::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (m_drag.DragSuppressed) {
        m_drag.DragSuppressed = false;
        return;
    }
    // Whatever keys are held, the left button coming up ends the drag and the grid
    // takes the value the chart now shows, so the two never disagree.
    if (event->button() != Qt::LeftButton || !m_dragging) return;
    m_dragging = false;
    const int row = rowOfSeries(m_drag.DragSeries);
    const int col = m_drag.DragPoint;
    m_state.live.setText(row, col, format1(value(m_drag.DragSeries, m_drag.DragPoint)));
    hideValueLabel();
    if (m_history) m_history->record(QStringLiteral("Drag"), m_beforeDrag);
    Q_EMIT gridTextWritten(row, col);
}

void AdvanceChart::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    m_drag.DragSuppressed = true;
    // The second press of a double-click has already picked the point again; a
    // double-click must leave the point and its label as the first click left them.
    if (m_dragging) {
        m_dragging = false;
        hideValueLabel();
    }
}

} // namespace kv
