// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/chart_template.h"
#include "table/drag_rules.h"
#include "table/edit_snapshot.h"
#include "table/program_state.h"

#include <QChartView>
#include <QPointF>
#include <QString>
#include <array>
#include <functional>
#include <optional>

class QChart;
class QLineSeries;
class QValueAxis;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

namespace kv {

class EditHistory;

// The advance curves over engine speed, drawn from the live table of the program state
// (series 1 "WOT", series 2 "Low", point p at (p - 1) x 500 RPM), with the value label
// and the drag editing of single points.
//
// The chart never holds values of its own: writes go straight into state.live.values,
// and the series are redrawn from there. Grid texts change only when a drag ends.
class AdvanceChart : public QChartView {
    Q_OBJECT

public:
    explicit AdvanceChart(ProgramState& state, QWidget* parent = nullptr);
    ~AdvanceChart() override;
    AdvanceChart(const AdvanceChart&) = delete;
    AdvanceChart& operator=(const AdvanceChart&) = delete;

    // Appearance: the template over the designed look. On failure the look stays as it
    // was (at start-up: as designed) and `error`, if given, says why; the caller shows
    // the message.
    bool loadTemplate(const QString& path, QString* error = nullptr);
    void applyLook(const ChartLook& look);
    [[nodiscard]] const ChartLook& look() const { return m_look; }

    // Y value of (series 1..2, point 1..16), read from and written to the store.
    // Indices outside the table read as 0 and are not written.
    [[nodiscard]] double value(int series, int point) const;
    void setValue(int series, int point, double v);
    // Redraws both curves from the store, after a bulk change of it.
    void refresh();

    // Changes between beginBatch and the matching endBatch are drawn once, at the end.
    void beginBatch();
    void endBatch();
    class Batch {
    public:
        explicit Batch(AdvanceChart& chart) : m_chart(chart) { m_chart.beginBatch(); }
        ~Batch() { m_chart.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        AdvanceChart& m_chart;
    };

    // The nearest point to a viewport position in whole pixels, its distance in pixels
    // and the region code (drag::kRegionPlotArea inside the plotting area).
    [[nodiscard]] drag::PickResult pick(QPoint pixel) const;
    // The smallest size at which no axis label is shortened, with the present look.
    [[nodiscard]] QSize minimumUncutSize() const;
    // Where (series, point) is drawn, in viewport pixels.
    [[nodiscard]] QPointF pointPosition(int series, int point) const;

    // The value label marks one point with a text.
    void attachValueLabel(int series, int point);
    void setValueLabelText(const QString& text);
    void showValueLabel();
    void hideValueLabel();
    // Attaches the label to (series, point), shows that value "#0.0" and shows it, in
    // one batch: what the grid does when its current cell moves onto a data cell.
    void showValueLabelAt(int series, int point);
    [[nodiscard]] bool valueLabelVisible() const;
    [[nodiscard]] QString valueLabelText() const;
    [[nodiscard]] int valueLabelSeries() const { return m_labelSeries; }
    [[nodiscard]] int valueLabelPoint() const { return m_labelPoint; }

    [[nodiscard]] const DragState& dragState() const { return m_drag; }
    // True from a press that picked a point until the left button comes up.
    [[nodiscard]] bool dragging() const { return m_dragging; }

    // Each drag, press to release, is one step of this history (none: not recorded).
    void setHistory(EditHistory* history) { m_history = history; }

    // A table to compare with, drawn as two thin dashed lines that the legend names
    // `name`; they are only drawn, never picked or dragged. Nothing: no comparison.
    void setReference(const std::optional<Table16x2>& reference, const QString& name = {});
    // The reference line of a curve (kWot, kLow); null while nothing is compared.
    [[nodiscard]] QLineSeries* referenceSeries(int series) const;

    // The limit each value is held to (ExMaxTable of an EX or TEX table), drawn as a faint
    // line over each curve; never picked or dragged. Nothing: no limit lines.
    void setLimits(const std::optional<Table16x2>& limits);
    [[nodiscard]] QLineSeries* limitSeries(int series) const;

    // Draws the chart into `target` (device pixels) of a painter's device, a printer's
    // page say, laid out for that rectangle; the window's own chart is left as it was.
    void drawInto(QPainter& painter, const QRect& target);

Q_SIGNALS:
    // A press picked the point of grid cell (row, col): make it the grid's current cell.
    void currentCellRequested(int row, int col);
    // A drag ended and wrote the grid text of (row, col) into the store.
    void gridTextWritten(int row, int col);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void flush();
    void redrawSeries(int series);
    void placeValueLabel();
    // Puts the two curves of `table` (none without one) in place of those in `pair`, each
    // named by `name` from its curve's legend.
    void replaceCurves(std::array<QLineSeries*, 2>& pair, const std::optional<Table16x2>& table,
                       const std::function<QString(const QString&)>& name);
    void styleReferenceSeries();
    void styleLimitSeries();
    [[nodiscard]] bool validPoint(int series, int point) const;

    ProgramState& m_state;
    ChartLook m_look;
    QChart* m_chart = nullptr;
    std::array<QLineSeries*, 2> m_series{};
    std::array<QLineSeries*, 2> m_reference{};
    std::array<QLineSeries*, 2> m_limits{};
    QValueAxis* m_axisX = nullptr;
    QValueAxis* m_axisY = nullptr;

    QGraphicsRectItem* m_labelBox = nullptr;
    QGraphicsSimpleTextItem* m_labelText = nullptr;
    int m_labelSeries = 0;
    int m_labelPoint = 0;

    int m_batchDepth = 0;
    std::array<bool, 2> m_seriesDirty{};
    bool m_labelDirty = false;

    DragState m_drag;
    // True from a press that picked a point until the left button comes up. Moves and
    // releases act only on a drag that a press started, so a point left selected by an
    // earlier drag never moves or writes the grid on its own.
    bool m_dragging = false;
    EditHistory* m_history = nullptr;
    EditSnapshot m_beforeDrag;
};

} // namespace kv
