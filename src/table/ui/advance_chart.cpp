// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/advance_chart.h"

#include "table/numbers.h"

#include <QBrush>
#include <QChart>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <cmath>

namespace kv {
namespace {

constexpr double kRpmStep = 500.0;
// The label sits up and to the right of its point, clear of the marker.
constexpr double kLabelGap = 6.0;
constexpr double kLabelPadding = 3.0;

QColor rgb(std::uint32_t c) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | c));
}

double rpmOf(int point) {
    return (point - 1) * kRpmStep;
}

// The share of an axis's range left beyond each end, so that a point on the first or
// last tick (0 and 7500 RPM, 0 degrees) is drawn whole and not cut by the plot's edge.
constexpr double kAxisEndRoom = 0.02;

void styleAxis(QValueAxis* axis, const ChartLook::Axis& a, const ChartLook& look) {
    const double room = (a.max - a.min) * kAxisEndRoom;
    axis->setRange(a.min - room, a.max + room);
    axis->setTickCount(a.ticks);
    // The ticks and their labels stay on the template's values, from its minimum on.
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(a.min);
    axis->setTickInterval(a.ticks > 1 ? (a.max - a.min) / (a.ticks - 1) : a.max - a.min);
    // The format is built here from a number, never taken from the template text.
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(a.decimals));
    axis->setTitleText(QString::fromStdString(a.title));
    axis->setTitleBrush(rgb(look.textColor));
    axis->setLabelsBrush(rgb(look.textColor));
    axis->setGridLineColor(rgb(look.gridColor));
    axis->setLinePenColor(rgb(look.textColor));
}

Qt::Alignment alignmentOf(ChartLook::LegendPlace p) {
    switch (p) {
    case ChartLook::LegendPlace::Bottom:
        return Qt::AlignBottom;
    case ChartLook::LegendPlace::Left:
        return Qt::AlignLeft;
    case ChartLook::LegendPlace::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignTop;
    }
}

} // namespace

AdvanceChart::AdvanceChart(ProgramState& state, QWidget* parent)
    : QChartView(parent), m_state(state) {
    m_chart = new QChart();
    m_chart->setAnimationOptions(QChart::NoAnimation);
    // The chart fills its part of the window edge to edge; the template sets its colour.
    m_chart->setBackgroundRoundness(0);
    m_chart->setMargins(QMargins(8, 6, 24, 6)); // room for the last RPM label
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_axisX = new QValueAxis(m_chart);
    m_axisY = new QValueAxis(m_chart);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    for (int s = 1; s <= kCurves; ++s) {
        auto* series = new QLineSeries(m_chart);
        QList<QPointF> points;
        for (int p = 1; p <= kPoints; ++p)
            points.append({rpmOf(p), 0.0});
        series->replace(points);
        m_chart->addSeries(series);
        series->attachAxis(m_axisX);
        series->attachAxis(m_axisY);
        m_series[static_cast<std::size_t>(s - 1)] = series;
    }
    // The view made a default chart of its own; setChart gives it up without deleting it.
    QChart* made = chart();
    setChart(m_chart);
    delete made;
    setRenderHint(QPainter::Antialiasing);

    m_labelBox = new QGraphicsRectItem(m_chart);
    m_labelBox->setZValue(100);
    m_labelText = new QGraphicsSimpleTextItem(m_labelBox);
    m_labelBox->hide();
    connect(m_chart, &QChart::plotAreaChanged, this, [this] { placeValueLabel(); });

    applyLook(ChartLook{});
    refresh();
}

AdvanceChart::~AdvanceChart() = default;

QSize AdvanceChart::minimumUncutSize() const {
    // An axis label is shortened once it and its padding outgrow its share of the plot
    // area: one share per tick along the speed axis, one line per tick up the other.
    constexpr double kLabelRoom = 12;
    const QFontMetricsF xLabels(m_axisX->labelsFont());
    const QFontMetricsF yLabels(m_axisY->labelsFont());
    const QString widestX = QString::number(qRound(m_axisX->max()));
    const QString widestY = QString::number(qRound(m_axisY->max()));
    const double plotW = m_axisX->tickCount() * (xLabels.horizontalAdvance(widestX) + kLabelRoom);
    const double plotH = m_axisY->tickCount() * (yLabels.height() + 4);
    // Around the plot: the margins, the axis titles and labels, the title and legend.
    const QMargins m = m_chart->margins();
    const double titleH = QFontMetricsF(m_chart->titleFont()).height();
    const double axisTitleX = QFontMetricsF(m_axisX->titleFont()).height();
    const double axisTitleY = QFontMetricsF(m_axisY->titleFont()).height();
    const double legendH =
        m_chart->legend()->isVisible() ? QFontMetricsF(m_chart->legend()->font()).height() + 16 : 0;
    const double extraW =
        m.left() + m.right() + axisTitleY + yLabels.horizontalAdvance(widestY) + 3 * kLabelRoom;
    const double extraH =
        m.top() + m.bottom() + titleH + legendH + xLabels.height() + axisTitleX + 4 * kLabelRoom;
    return {static_cast<int>(std::ceil(plotW + extraW)),
            static_cast<int>(std::ceil(plotH + extraH))};
}

bool AdvanceChart::loadTemplate(const QString& path, QString* error) {
    const ChartLook designed;
    const auto result = readChartTemplate(QFile::encodeName(path).toStdString(), designed);
    if (!result.ok) {
        if (error) *error = QString::fromStdString(result.error);
        return false;
    }
    applyLook(result.look);
    return true;
}

void AdvanceChart::applyLook(const ChartLook& look) {
    m_look = look;
    m_chart->setTitle(QString::fromStdString(look.header));
    QFont titleFont = m_chart->titleFont();
    titleFont.setPointSize(look.headerSize);
    titleFont.setBold(true);
    m_chart->setTitleFont(titleFont);
    m_chart->setTitleBrush(rgb(look.textColor));
    m_chart->setBackgroundBrush(rgb(look.background));
    m_chart->setPlotAreaBackgroundBrush(rgb(look.plotBackground));
    m_chart->setPlotAreaBackgroundVisible(true);
    styleAxis(m_axisX, look.x, look);
    styleAxis(m_axisY, look.y, look);

    for (std::size_t i = 0; i < m_series.size(); ++i) {
        const auto& s = look.series[i];
        QPen pen(rgb(s.color));
        pen.setWidthF(s.width);
        m_series[i]->setPen(pen);
        m_series[i]->setName(QString::fromStdString(s.legend));
        m_series[i]->setPointsVisible(s.marker > 0);
        if (s.marker > 0) m_series[i]->setMarkerSize(s.marker);
    }
    styleReferenceSeries();
    styleLimitSeries();

    QLegend* legend = m_chart->legend();
    // Each entry a short piece of its line: solid, dashed or faint as the line is drawn.
    legend->setMarkerShape(QLegend::MarkerShapeFromSeries);
    legend->setVisible(look.legend != ChartLook::LegendPlace::Hidden);
    legend->setAlignment(alignmentOf(look.legend));
    legend->setLabelColor(rgb(look.textColor));

    m_labelBox->setBrush(rgb(look.labelBackground));
    m_labelBox->setPen(QPen(rgb(look.labelColor), 1));
    m_labelText->setBrush(rgb(look.labelColor));
    placeValueLabel();
}

bool AdvanceChart::validPoint(int series, int point) const {
    return series >= 1 && series <= kCurves && point >= 1 && point <= kPoints;
}

double AdvanceChart::value(int series, int point) const {
    return validPoint(series, point) ? m_state.live.value(series, point) : 0.0;
}

void AdvanceChart::setValue(int series, int point, double v) {
    if (!validPoint(series, point)) return;
    m_state.live.values(point, series) = v;
    m_seriesDirty[static_cast<std::size_t>(series - 1)] = true;
    if (series == m_labelSeries && point == m_labelPoint) m_labelDirty = true;
    flush();
}

void AdvanceChart::refresh() {
    m_seriesDirty.fill(true);
    m_labelDirty = true;
    flush();
    // After points jump (a paste, Modify, a new table) the changed regions alone leave
    // slivers of the old antialiased markers behind; the whole chart is drawn again.
    viewport()->update();
}

void AdvanceChart::beginBatch() {
    ++m_batchDepth;
}

void AdvanceChart::endBatch() {
    if (m_batchDepth > 0) --m_batchDepth;
    flush();
}

void AdvanceChart::flush() {
    if (m_batchDepth > 0) return;
    for (int s = 1; s <= kCurves; ++s) {
        auto& dirty = m_seriesDirty[static_cast<std::size_t>(s - 1)];
        if (dirty) redrawSeries(s);
        dirty = false;
    }
    if (m_labelDirty) placeValueLabel();
    m_labelDirty = false;
}

void AdvanceChart::redrawSeries(int series) {
    QList<QPointF> points;
    points.reserve(kPoints);
    for (int p = 1; p <= kPoints; ++p)
        points.append({rpmOf(p), m_state.live.value(series, p)});
    m_series[static_cast<std::size_t>(series - 1)]->replace(points);
}

QPointF AdvanceChart::pointPosition(int series, int point) const {
    if (!validPoint(series, point)) return {};
    const QPointF inChart = m_chart->mapToPosition(
        {rpmOf(point), m_state.live.value(series, point)}, m_series[std::size_t(series - 1)]);
    return viewportTransform().map(m_chart->mapToScene(inChart));
}

drag::PickResult AdvanceChart::pick(QPoint pixel) const {
    const QPointF inChart = m_chart->mapFromScene(mapToScene(pixel));
    // A whole pixel belongs to the plotting area when it touches it, so that a point
    // drawn on the edge (0 RPM, 7500 RPM, 0 degrees) counts where it is drawn.
    const bool inPlot = m_chart->plotArea().adjusted(-0.5, -0.5, 0.5, 0.5).contains(inChart);
    return drag::pickNearest(
        [this](int s, int p) {
            const QPointF at = pointPosition(s, p);
            return drag::PixelPos{at.x(), at.y()};
        },
        drag::PixelPos{double(pixel.x()), double(pixel.y())}, inPlot);
}

void AdvanceChart::attachValueLabel(int series, int point) {
    if (!validPoint(series, point)) return;
    m_labelSeries = series;
    m_labelPoint = point;
    m_labelDirty = true;
    flush();
}

void AdvanceChart::setValueLabelText(const QString& text) {
    m_labelText->setText(text);
    m_labelDirty = true;
    flush();
}

void AdvanceChart::showValueLabel() {
    m_labelBox->setVisible(m_labelSeries != 0);
    m_labelDirty = true;
    flush();
}

void AdvanceChart::hideValueLabel() {
    m_labelBox->hide();
}

void AdvanceChart::showValueLabelAt(int series, int point) {
    if (!validPoint(series, point)) return;
    Batch batch(*this);
    attachValueLabel(series, point);
    setValueLabelText(QString::fromStdString(format1(value(series, point))));
    showValueLabel();
}

bool AdvanceChart::valueLabelVisible() const {
    return m_labelBox->isVisible();
}

QString AdvanceChart::valueLabelText() const {
    return m_labelText->text();
}

void AdvanceChart::placeValueLabel() {
    if (!validPoint(m_labelSeries, m_labelPoint)) return;
    const QRectF textRect = m_labelText->boundingRect();
    const QSizeF size(textRect.width() + 2 * kLabelPadding, textRect.height() + 2 * kLabelPadding);
    const QPointF at = m_chart->mapToPosition(
        {rpmOf(m_labelPoint), m_state.live.value(m_labelSeries, m_labelPoint)},
        m_series[std::size_t(m_labelSeries - 1)]);
    // Up and to the right of the point, flipped inwards where that leaves the chart.
    QPointF topLeft(at.x() + kLabelGap, at.y() - kLabelGap - size.height());
    const QRectF bounds = m_chart->rect();
    if (topLeft.x() + size.width() > bounds.right())
        topLeft.setX(at.x() - kLabelGap - size.width());
    if (topLeft.y() < bounds.top()) topLeft.setY(at.y() + kLabelGap);
    m_labelBox->setRect(QRectF(QPointF(0, 0), size));
    m_labelBox->setPos(topLeft);
    m_labelText->setPos(kLabelPadding, kLabelPadding);
}

void AdvanceChart::replaceCurves(std::array<QLineSeries*, 2>& pair,
                                 const std::optional<Table16x2>& table,
                                 const std::function<QString(const QString&)>& name) {
    for (QLineSeries*& series : pair) {
        if (!series) continue;
        m_chart->removeSeries(series);
        delete series;
        series = nullptr;
    }
    if (!table) return;
    for (int s = 1; s <= kCurves; ++s) {
        auto* series = new QLineSeries(m_chart);
        QList<QPointF> points;
        for (int p = 1; p <= kPoints; ++p)
            points.append({rpmOf(p), (*table)(p, s)});
        series->replace(points);
        // Added after the live curves, which keep their places in the chart's list.
        m_chart->addSeries(series);
        series->attachAxis(m_axisX);
        series->attachAxis(m_axisY);
        series->setName(name(QString::fromStdString(m_look.series[std::size_t(s - 1)].legend)));
        pair[std::size_t(s - 1)] = series;
    }
}

void AdvanceChart::setReference(const std::optional<Table16x2>& reference, const QString& name) {
    replaceCurves(m_reference, reference,
                  [&](const QString& legend) { return name + QStringLiteral(" ") + legend; });
    if (reference) styleReferenceSeries();
    viewport()->update();
}

void AdvanceChart::setLimits(const std::optional<Table16x2>& limits) {
    replaceCurves(m_limits, limits,
                  [](const QString& legend) { return legend + QStringLiteral(" limit"); });
    if (limits) styleLimitSeries();
    viewport()->update();
}

QLineSeries* AdvanceChart::limitSeries(int series) const {
    return validPoint(series, 1) ? m_limits[std::size_t(series - 1)] : nullptr;
}

void AdvanceChart::styleLimitSeries() {
    for (std::size_t i = 0; i < m_limits.size(); ++i) {
        if (!m_limits[i]) continue;
        // The curve's colour, faint: a ceiling to see, not a curve to pick.
        QColor faint = rgb(m_look.series[i].color);
        faint.setAlpha(90);
        QPen pen(faint);
        pen.setWidthF(1.5);
        pen.setStyle(Qt::DotLine);
        m_limits[i]->setPen(pen);
        m_limits[i]->setPointsVisible(false);
    }
}

QLineSeries* AdvanceChart::referenceSeries(int series) const {
    return validPoint(series, 1) ? m_reference[std::size_t(series - 1)] : nullptr;
}

void AdvanceChart::styleReferenceSeries() {
    for (std::size_t i = 0; i < m_reference.size(); ++i) {
        if (!m_reference[i]) continue;
        QPen pen(rgb(m_look.series[i].color));
        pen.setWidthF(1);
        pen.setStyle(Qt::DashLine);
        m_reference[i]->setPen(pen);
        m_reference[i]->setPointsVisible(false);
    }
}

} // namespace kv
