// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/main_window.h"
#include "app/ui/splash_window.h"
#include "link/ui/port_select_frame.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"

#include <QApplication>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;

namespace {

struct Window {
    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> w;

    explicit Window(Branding b = defaultBranding(), bool withTemplate = true) {
        dir.copyAllData();
        if (!withTemplate) std::filesystem::remove(dir.file("Vanta_Chart.oc2"));
        if (!std::filesystem::exists(dir.file("Vanta_Chart.oc2")))
            dialogs.expectMessage("Chart template file Vanta_Chart.oc2 not found.", Button::OK);
        w = std::make_unique<MainWindow>(std::move(b), &dialogs,
                                         QString::fromStdString(dir.path().string()));
        EXPECT_TRUE(dialogs.done());
        dialogs.clear();
    }
    // Shows the window with a RACE table of every value `v`, as if just opened.
    ProgramState& showTable(double v) {
        ProgramState& s = w->state();
        s.AdvanceTable.fill(v);
        copyAdvanceTableToLive(s);
        CopyChartToGrid(s);
        w->liveTableChanged();
        w->show();
        w->setTableShown(true);
        w->applyInteraction("RACE");
        return s;
    }
};

} // namespace

TEST(MainWindow, StartsWithNoTableAndTheMakersCaptionWhichCloseTableDrops) {
    Window win;
    EXPECT_EQ(win.w->windowTitle(), "Orvane Kestrel Vanta Version 8.1");
    EXPECT_EQ(win.w->state().BaseCaption, "Kestrel Vanta Version 8.1");
    EXPECT_FALSE(win.w->tableShown());
    EXPECT_EQ(win.w->state().TableType, "RACE");
    EXPECT_EQ(win.w->state().RPMLimit, 3000);
    EXPECT_EQ(QCoreApplication::applicationName(), "Kestrel_Vanta_Main");
    EXPECT_EQ(win.w->grid()->currentRow(), 0);
    EXPECT_EQ(win.w->grid()->currentCol(), 0);
    EXPECT_EQ(win.w->grid()->toolTip(), "Click to select or double click to edit cell");
    const auto* model = win.w->grid()->model();
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->columnCount(), 17);
    EXPECT_EQ(model->index(0, 0).data().toString(), "MAP/RPM");
    EXPECT_EQ(model->index(0, 16).data().toString(), "7500");
    EXPECT_EQ(model->index(1, 0).data().toString(), "Low");
    EXPECT_EQ(model->index(2, 0).data().toString(), "WOT");

    win.w->action("mnuCloseTable")->trigger();
    EXPECT_EQ(win.w->windowTitle(), "Kestrel Vanta Version 8.1");
    EXPECT_TRUE(win.dialogs.prompts().empty()); // no table open: no question
}

TEST(MainWindow, AMissingChartTemplateIsReportedAndStartUpGoesOn) {
    Window win(defaultBranding(), false);
    EXPECT_EQ(win.w->windowTitle(), "Orvane Kestrel Vanta Version 8.1");
}

// The branding file's Windows-1252 text, whatever ends its lines, shows the same in the
// splash, the caption and the About box.
TEST(MainWindow, BrandingTextShowsTheSameEverywhere) {
    const std::string cfg = "Soci\xe9t\xe9 \x80\nArial\n36\nbold\nnull\n!\nSoci\xe9t\xe9\nRue\n!\n";
    const std::string ends[] = {"\r\n", "\r", "\n"};
    for (const std::string& end : ends) {
        std::string text;
        for (const char c : cfg)
            text += c == '\n' ? end : std::string(1, c);
        TempDir dir;
        kv::test::writeAll(dir.file("Kestrel_Vanta.cfg"), text + "\x1a");
        ScriptedDialogs dialogs;
        Branding b;
        SplashWindow splash(QString::fromStdString(dir.path().string()), dialogs, b);
        EXPECT_EQ(splash.companyLabel()->text(), QStringLiteral(u"Soci\u00e9t\u00e9 \u20ac"));
        Window win(b);
        EXPECT_EQ(win.w->windowTitle(),
                  QStringLiteral(u"Soci\u00e9t\u00e9 Kestrel Vanta Version 8.1"));
        win.dialogs.expectMessage("Soci\u00e9t\u00e9 Kestrel Vanta Version 8.10\n" +
                                      std::string(kNoticeLine) + "\n\nRue\n",
                                  Button::OK);
        win.w->action("mnuAbout")->trigger();
        EXPECT_TRUE(win.dialogs.done());
    }
}

TEST(MainWindow, AboutShowsTheContactLines) {
    Branding one = defaultBranding();
    one.ContactLines = {"Hawk"};
    Window win(one);
    win.dialogs.expectMessage(
        "Hawk Kestrel Vanta Version 8.10\n" + std::string(kNoticeLine) + "\n\n", Button::OK);
    win.w->action("mnuAbout")->trigger();
    EXPECT_TRUE(win.dialogs.done());
    EXPECT_EQ(win.dialogs.last().title, "About");
    EXPECT_EQ(win.dialogs.last().icon, Icon::Information);
}

TEST(MainWindow, ExitAnsweredCancelKeepsTheWindow) {
    Window win;
    win.w->show();
    win.w->setTableShown(true);
    win.dialogs.expectMessage("Save advance table before exiting?", Button::Cancel);
    win.w->action("mnuExit")->trigger();
    EXPECT_TRUE(win.dialogs.done());
    EXPECT_EQ(win.dialogs.last().title, "Exit Program");
    EXPECT_TRUE(win.w->isVisible());
    win.dialogs.expectMessage("Save advance table before exiting?", Button::No);
    win.w->action("mnuExit")->trigger();
    EXPECT_FALSE(win.w->isVisible());
}

TEST(MainWindow, EscapeRequestsAnAbort) {
    Window win;
    win.w->show();
    ASSERT_FALSE(win.w->state().AbortRequested);
    QTest::keyClick(win.w->grid(), Qt::Key_Escape);
    EXPECT_TRUE(win.w->state().AbortRequested);
}

TEST(MainWindow, HelpContentsShowsTheDocumentOrSaysItIsMissing) {
    Window win;
    win.w->action("mnuHelpContents")->trigger();
    EXPECT_TRUE(win.dialogs.prompts().empty());
    auto* viewer = win.w->findChild<QWidget*>("helpViewer");
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    viewer->close();
    std::filesystem::remove(win.dir.file("Kestrel_Vanta_Help.html"));
    win.dialogs.expectMessage({}, Button::OK);
    win.w->action("mnuHelpContents")->trigger();
    ASSERT_TRUE(win.dialogs.done());
    EXPECT_NE(win.dialogs.last().text.find("not found"), std::string::npos);
}

TEST(MainWindow, ResizeLaysOutChartAndGridInTwips) {
    Window win;
    win.w->show();
    win.w->setTableShown(true);
    const double ty = win.w->twipsPerPixelY();
    win.w->resize(800, 600);
    QApplication::processEvents();
    const int H = static_cast<int>(win.w->frameGeometry().height() * ty);
    EXPECT_NEAR(win.w->chart()->height() * ty, 0.7 * H, ty + 1);
    EXPECT_NEAR(win.w->grid()->y() * ty, 0.7 * H, ty + 1);
    EXPECT_NEAR(win.w->grid()->height() * ty, 0.3 * H - 725, ty + 1);
    // 1000 twips tall: no room for the grid.
    win.w->setMinimumSize(1, 1);
    win.w->resize(800, static_cast<int>(1000 / ty));
    QApplication::processEvents();
    EXPECT_EQ(win.w->grid()->height(), 0);
}

TEST(MainWindow, AtItsMinimumSizeNoHeadingValueOrAxisLabelIsCut) {
    Window win;
    win.showTable(-38.5);
    win.w->resize(1, 1);
    QTest::qWait(50);
    ASSERT_EQ(win.w->size(), win.w->minimumSize());
    ASSERT_LT(win.w->width(), 900);

    QStringList chartTexts;
    for (QGraphicsItem* item : win.w->chart()->scene()->items())
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible())
            chartTexts << text->toPlainText();
    EXPECT_TRUE(chartTexts.contains("7500"));
    for (const QString& text : chartTexts)
        EXPECT_FALSE(text.endsWith("...")) << text.toStdString();

    const GridView* grid = win.w->grid();
    const QFontMetrics fm(grid->font());
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 17; ++c) {
            const QModelIndex at = grid->model()->index(r, c);
            const QRect cell = grid->visualRect(at).adjusted(3, 1, -3, -1);
            const QRect needed =
                fm.boundingRect(cell, Qt::AlignCenter | Qt::TextWordWrap, at.data().toString());
            EXPECT_TRUE(cell.contains(needed)) << r << "," << c;
        }
}

TEST(MainWindow, ThePortFrameHidesTheChartUnderItAndKeepsItsClicks) {
    Window win;
    win.showTable(38.0); // the curves run along the top, under the frame
    win.w->action("mnuPortSetup")->trigger();
    QWidget* frame = win.w->portFrame();
    ASSERT_TRUE(frame->isVisible());
    QTest::qWait(50);
    const QRect area = frame->geometry();
    const QImage over = win.w->centralWidget()->grab(area).toImage();
    win.w->chart()->hide();
    const QImage bare = win.w->centralWidget()->grab(area).toImage();
    EXPECT_EQ(over, bare); // nothing of the chart shows through
    win.w->chart()->show();

    // A press on the frame where a point lies beneath it picks nothing.
    const QPoint point = win.w->chart()->pointPosition(1, 2).toPoint() + win.w->chart()->pos();
    ASSERT_TRUE(area.contains(point));
    win.w->grid()->setCurrentCell(0, 0);
    QTest::mouseClick(
        win.w->centralWidget()->childAt(point), Qt::LeftButton, {},
        win.w->centralWidget()->childAt(point)->mapFrom(win.w->centralWidget(), point));
    EXPECT_EQ(win.w->grid()->currentCol(), 0);
}

TEST(MainWindow, ABadStoredPortLeavesTheEmptyStartWindowWhateverTheAnswer) {
    for (const Button answer : {Button::Abort, Button::Ignore}) {
        TempDir dir;
        dir.copyAllData();
        kv::test::writeAll(dir.file("kv.ini"), "[Properties]\nCommPort=abc\n");
        ScriptedDialogs dialogs;
        dialogs.expectError("The stored serial port \"abc\" is not a whole number.\n"
                            "Settings file: " +
                                dir.file("kv.ini"),
                            answer);
        MainWindow w(defaultBranding(), &dialogs, QString::fromStdString(dir.path().string()),
                     std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini"))));
        EXPECT_TRUE(dialogs.done());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_FALSE(w.chart()->isVisible());
        EXPECT_FALSE(w.grid()->isVisible());
        EXPECT_FALSE(w.tableShown());
        EXPECT_EQ(w.windowTitle(), "Orvane Kestrel Vanta Version 8.1");
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(w.pos(), QPoint(screen.x() + (screen.width() - w.width()) / 2,
                                  screen.y() + (screen.height() - w.height()) / 2));
        EXPECT_EQ(w.grid()->model()->index(0, 16).data().toString(), "7500");
        EXPECT_EQ(w.state().CommPort, 1);
    }
}

TEST(MainWindow, TypedCellsAreCheckedAndOnlyRaceTablesTakeTyping) {
    Window win;
    ProgramState& s = win.showTable(10.0);
    QAbstractItemModel* model = win.w->grid()->model();
    const QModelIndex lowAt500 = model->index(1, 2);
    ASSERT_TRUE(model->flags(lowAt500) & Qt::ItemIsEditable);
    EXPECT_FALSE(model->flags(model->index(0, 2)) & Qt::ItemIsEditable); // headings never

    win.dialogs.expectMessage("Advance must be numeric value between zero and 40 degrees.",
                              Button::OK);
    EXPECT_FALSE(model->setData(lowAt500, "40.1"));
    EXPECT_EQ(win.dialogs.last().title, "Advance Edit");
    EXPECT_EQ(s.live.text(1, 2), "10.0");

    win.w->grid()->setCurrentCell(1, 2);
    EXPECT_TRUE(model->setData(lowAt500, "25"));
    EXPECT_EQ(s.live.text(1, 2), "25"); // kept as typed
    EXPECT_EQ(s.live.value(kLow, 2), 25.0);
    EXPECT_EQ(win.w->chart()->valueLabelText(), "25.0");

    win.w->applyInteraction("EX");
    EXPECT_FALSE(model->flags(lowAt500) & Qt::ItemIsEditable);
}
