// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"
#include "window_fixture.h"

#include <QLabel>
#include <filesystem>
#include <tuple>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;

namespace {
class Window : public kv::test::WindowTest {};
} // namespace

TEST_F(Window, StartsWithNoTableAndItsMenusAnswer) {
    EXPECT_EQ(w->windowTitle(), "Orvane Kestrel Vanta Version 8.1");
    EXPECT_FALSE(w->tableShown());
    EXPECT_EQ(QCoreApplication::applicationName(), "Kestrel_Vanta_Main");
    const std::tuple<int, int, const char*> headings[] = {
        {0, 0, "MAP/RPM"}, {0, 1, "0"}, {0, 16, "7500"}, {1, 0, "Low"}, {2, 0, "WOT"}};
    for (const auto& [r, c, text] : headings)
        EXPECT_EQ(model()->index(r, c).data().toString(), text) << r << "," << c;

    QTest::keyClick(w->grid(), Qt::Key_Escape);
    EXPECT_TRUE(s().AbortRequested);
    trigger("mnuCloseTable"); // no table open: no question, and the maker's name goes
    EXPECT_EQ(w->windowTitle(), "Kestrel Vanta Version 8.1");

    w->setTableShown(true);
    dialogs.expectMessage("Save advance table before exiting?", Button::Cancel)
        .expectMessage("Save advance table before exiting?", Button::No);
    trigger("mnuExit");
    EXPECT_TRUE(w->isVisible());
    trigger("mnuExit");
    EXPECT_TRUE(dialogs.done());
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Window, TypedCellsAreCheckedAndOnlyRaceTablesTakeTyping) {
    kv::test::showTable(*w, "RACE", kv::test::flat(10.0));
    const QModelIndex lowAt500 = model()->index(1, 2);
    EXPECT_FALSE(model()->flags(model()->index(0, 2)) & Qt::ItemIsEditable); // headings never
    dialogs.expectMessage("Advance must be numeric value between zero and 40 degrees.", Button::OK);
    EXPECT_FALSE(model()->setData(lowAt500, "40.1"));
    EXPECT_EQ(s().live.text(1, 2), "10.0");
    w->grid()->setCurrentCell(1, 2);
    EXPECT_TRUE(model()->setData(lowAt500, "25"));
    EXPECT_EQ(s().live.text(1, 2), "25"); // kept as typed
    EXPECT_EQ(s().live.value(kLow, 2), 25.0);
    EXPECT_EQ(w->chart()->valueLabelText(), "25.0");
    w->applyInteraction("EX");
    EXPECT_FALSE(model()->flags(lowAt500) & Qt::ItemIsEditable);
}

// The branding file's Windows-1252 text, whatever ends its lines, shows the same in the
// splash, the caption and the About box.
TEST(WindowBranding, TextShowsTheSameEverywhere) {
    for (const std::string end : {"\r\n", "\r", "\n"}) {
        TempDir dir;
        dir.copyAllData();
        const std::string lines[] = {
            "Soci\xe9t\xe9 \x80", "Arial", "36", "bold", "null", "!", "HW", "Rue", "!"};
        std::string text;
        for (const std::string& line : lines)
            text += line + end;
        kv::test::writeAll(dir.file("Kestrel_Vanta.cfg"), text + "\x1a");
        ScriptedDialogs dialogs;
        Branding b;
        SplashWindow splash(QString::fromStdString(dir.path().string()), dialogs, b);
        EXPECT_EQ(splash.companyLabel()->text(), QStringLiteral(u"Soci\u00e9t\u00e9 \u20ac"));
        MainWindow w(b, &dialogs, QString::fromStdString(dir.path().string()));
        EXPECT_EQ(w.windowTitle(), "HW Kestrel Vanta Version 8.1");
        dialogs.expectMessage(
            "HW Kestrel Vanta Version 8.10\n" + std::string(kNoticeLine) + "\n\nRue\n", Button::OK);
        w.action("mnuAbout")->trigger();
        EXPECT_TRUE(dialogs.done());
    }
}

// A missing chart template or a bad stored port is reported, then the empty window shows.
TEST(WindowStartUp, ProblemsAreReportedAndTheEmptyWindowShows) {
    for (const Button answer : {Button::OK, Button::Abort, Button::Ignore}) {
        TempDir dir;
        dir.copyAllData();
        ScriptedDialogs dialogs;
        if (answer == Button::OK) {
            std::filesystem::remove(dir.file("Vanta_Chart.oc2"));
            dialogs.expectMessage("Chart template file Vanta_Chart.oc2 not found.", answer);
        } else {
            kv::test::writeAll(dir.file("kv.ini"), "[Properties]\nCommPort=abc\n");
            dialogs.expectError("The stored serial port \"abc\" is not a whole number.\n"
                                "Settings file: " +
                                    dir.file("kv.ini"),
                                answer);
        }
        MainWindow w(defaultBranding(), &dialogs, QString::fromStdString(dir.path().string()),
                     std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini"))));
        EXPECT_TRUE(dialogs.done());
        w.show();
        EXPECT_FALSE(w.tableShown());
        EXPECT_FALSE(w.grid()->isVisible());
        EXPECT_EQ(w.windowTitle(), "Orvane Kestrel Vanta Version 8.1");
        EXPECT_EQ(w.state().CommPort, 1);
    }
}
