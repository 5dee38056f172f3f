// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/advance_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace kv {
namespace {
// The resolution the chart's fonts and pens are designed for.
constexpr double kScreenDpi = 96.0;
} // namespace

void AdvanceChart::drawInto(QPainter& painter, const QRect& target) {
    if (target.isEmpty()) return;
    // Laid out at the target's shape as on a screen, then scaled onto the target, so that
    // text and lines keep their size relative to the page at any device resolution.
    const double scale = std::max(1.0, painter.device()->logicalDpiX() / kScreenDpi);
    const QRectF layoutRect(0, 0, target.width() / scale, target.height() / scale);
    const QRectF before = m_chart->geometry();
    m_chart->setGeometry(layoutRect);
    if (m_chart->layout()) m_chart->layout()->activate();
    placeValueLabel();
    m_chart->scene()->render(&painter, QRectF(target), m_chart->mapRectToScene(layoutRect),
                             Qt::IgnoreAspectRatio);
    m_chart->setGeometry(before);
    if (m_chart->layout()) m_chart->layout()->activate();
    placeValueLabel();
}

} // namespace kv
