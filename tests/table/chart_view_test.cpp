// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart_widget_fixture.h"
#include "support/test_files.h"

#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QSignalSpy>
#include <QValueAxis>

using namespace kv;
using kv::test::ChartWidgetTest;

namespace {

QValueAxis* axis(QChart* c, Qt::Orientation o) {
    return qobject_cast<QValueAxis*>(c->axes(o).value(0));
}

const std::string kHead = "Kestrel Vanta chart template 1\n";

} // namespace

using ChartView = ChartWidgetTest;

TEST_F(ChartView, DesignedLookCarriesTheChartTexts) {
    QChart* c = chart->chart();
    EXPECT_EQ(c->title(), "Advance Curves");
    EXPECT_EQ(axis(c, Qt::Horizontal)->titleText(), "RPM");
    EXPECT_EQ(axis(c, Qt::Vertical)->titleText(), "Advance (Deg)");
    EXPECT_EQ(series(1)->name(), "WOT");
    EXPECT_EQ(series(2)->name(), "Low MAP");
    EXPECT_EQ(axis(c, Qt::Horizontal)->min(), 0);
    EXPECT_EQ(axis(c, Qt::Horizontal)->max(), 7500);
}

TEST_F(ChartView, TemplateLoadReportsSuccessAndFailure) {
    test::TempDir dir;
    const auto custom = dir.file("custom.oc2");
    test::writeAll(custom, kHead + "header = Custom\ny.range = 0 50\nseries2.legend = Low\n"
                                   "y.decimals = 1\n");
    QString error;
    ASSERT_TRUE(chart->loadTemplate(QString::fromStdString(custom), &error)) << error.toStdString();
    EXPECT_EQ(chart->chart()->title(), "Custom");
    EXPECT_EQ(axis(chart->chart(), Qt::Vertical)->max(), 50);
    EXPECT_EQ(axis(chart->chart(), Qt::Vertical)->labelFormat(), "%.1f");
    EXPECT_EQ(series(2)->name(), "Low");
    EXPECT_EQ(series(1)->name(), "WOT");

    // Unreadable files of every kind are the template reader's tests; here the look stays.
    test::writeAll(dir.file("half.oc2"), kHead + "header = Half\nx.range = 1 0\n");
    for (const char* name : {"absent.oc2", "", "half.oc2"}) {
        error.clear();
        const auto path = QString::fromStdString(*name ? dir.file(name) : dir.path().string());
        EXPECT_FALSE(chart->loadTemplate(path, &error)) << name;
        EXPECT_FALSE(error.isEmpty()) << name;
        EXPECT_EQ(chart->chart()->title(), "Custom") << name; // the look is kept
        EXPECT_EQ(axis(chart->chart(), Qt::Vertical)->max(), 50) << name;
    }

    // A template starts from the designed look, not from the one before it.
    test::writeAll(dir.file("other.oc2"), kHead + "x.title = Engine speed\n");
    ASSERT_TRUE(chart->loadTemplate(QString::fromStdString(dir.file("other.oc2"))));
    EXPECT_EQ(chart->chart()->title(), "Advance Curves");
    EXPECT_EQ(axis(chart->chart(), Qt::Horizontal)->titleText(), "Engine speed");
    EXPECT_EQ(series(2)->name(), "Low MAP");
    ASSERT_TRUE(chart->loadTemplate(KV_DATA_DIR "/Vanta_Chart.oc2"));
    EXPECT_EQ(chart->look().y.max, 45);
}

TEST_F(ChartView, CurvesFollowTheStoreAfterABulkLoad) {
    for (int p = 1; p <= kPoints; ++p) {
        state.AdvanceTable(p, kWot) = 20.0 + 0.25 * p; // values off the one-decimal grid
        state.AdvanceTable(p, kLow) = 2.0 + p;
    }
    copyAdvanceTableToLive(state);
    CopyChartToGrid(state);
    chart->refresh();
    for (int p = 1; p <= kPoints; ++p) {
        EXPECT_EQ(series(kWot)->at(p - 1), QPointF((p - 1) * 500.0, 20.0 + 0.25 * p));
        EXPECT_EQ(series(kLow)->at(p - 1), QPointF((p - 1) * 500.0, 2.0 + p));
        EXPECT_EQ(chart->value(kWot, p), 20.0 + 0.25 * p); // full value, not the text
        EXPECT_EQ(state.live.text(2, p), format1(20.0 + 0.25 * p));
    }
    // Points outside the table read as nothing and write nowhere.
    chart->setValue(0, 1, 5.0);
    chart->setValue(1, 17, 5.0);
    EXPECT_EQ(chart->value(3, 1), 0.0);
    EXPECT_EQ(state.live.values, state.AdvanceTable);
}

TEST_F(ChartView, ABatchDrawsOnceAtItsEnd) {
    QSignalSpy redraws(series(kLow), &QXYSeries::pointsReplaced);
    {
        AdvanceChart::Batch outer(*chart);
        AdvanceChart::Batch inner(*chart);
        for (int p = 1; p <= kPoints; ++p)
            chart->setValue(kLow, p, 1.0 * p);
        EXPECT_EQ(redraws.count(), 0);
        EXPECT_EQ(chart->value(kLow, 3), 3.0); // the store is current inside a batch
    }
    EXPECT_EQ(redraws.count(), 1);
    EXPECT_EQ(series(kLow)->at(15).y(), 16.0);
    chart->setValue(kLow, 1, 7.0); // outside a batch: drawn at once
    EXPECT_EQ(redraws.count(), 2);
}

TEST_F(ChartView, ValueLabelMarksItsPoint) {
    EXPECT_FALSE(chart->valueLabelVisible());
    chart->showValueLabelAt(kLow, 3);
    EXPECT_TRUE(chart->valueLabelVisible());
    EXPECT_EQ(chart->valueLabelText(), "5.5");

    QGraphicsSimpleTextItem* label = nullptr;
    for (QGraphicsItem* item : chart->scene()->items())
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item); t && t->text() == "5.5")
            label = t;
    ASSERT_NE(label, nullptr);
    const QPointF labelAt = chart->mapFromScene(label->sceneBoundingRect().center());
    const QPointF pointAt = chart->pointPosition(kLow, 3);
    EXPECT_LT(QLineF(labelAt, pointAt).length(), 40.0);
    EXPECT_GT(QLineF(labelAt, chart->pointPosition(kWot, 3)).length(), 60.0);

    // The label moves with its point when the value changes.
    chart->setValue(kLow, 3, 30.0);
    const QPointF moved = chart->mapFromScene(label->sceneBoundingRect().center());
    EXPECT_LT(QLineF(moved, chart->pointPosition(kLow, 3)).length(), 40.0);

    chart->hideValueLabel();
    EXPECT_FALSE(chart->valueLabelVisible());
}

TEST_F(ChartView, PickGivesNearestPointDistanceAndRegion) {
    const QPointF exact = chart->pointPosition(kLow, 10);
    const QPoint near = exact.toPoint() + QPoint(3, 4);
    auto hit = chart->pick(near);
    EXPECT_EQ(hit.series, kLow);
    EXPECT_EQ(hit.point, 10);
    EXPECT_NEAR(hit.distance, QLineF(exact, QPointF(near)).length(), 1e-9);
    EXPECT_EQ(hit.region, drag::kRegionPlotArea);

    EXPECT_EQ(chart->pick(at(kWot, 10)).series, kWot);
    // The header band above the plotting area is another region.
    EXPECT_EQ(chart->pick(QPoint(chart->width() / 2, 4)).region, drag::kRegionOutsidePlot);
    // Points drawn on the edge of the plotting area: just outside it does not count.
    put(kLow, 8, 0.0, "0.0");
    const QPoint below = at(kLow, 8) + QPoint(0, 3);
    EXPECT_NE(chart->pick(below).region, drag::kRegionPlotArea);
}
