// SPDX-License-Identifier: GPL-3.0-or-later
// The splash and its branding file, and main's flow through it to the main window.
#include "app/ui/splash_window.h"
#include "app/ui/start_up.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <tuple>

using namespace kv;
using namespace std::chrono_literals;

TEST(Splash, ShowsTheBrandingFileOrTheDefaultsAndReportsWhatIsWrongWithIt) {
    struct Case {
        std::string cfg;                                                  // none if empty
        std::vector<std::tuple<const char*, const char*, Button>> errors; // text, file, answer
        const char *company, *family;
        double size;
        bool bold, italic, logo;
        std::vector<std::string> contacts;
    };
    const Case cases[] = {
        {"", {}, "Orvane", "Arial", 48, true, true, true, {}},
        {"!one\r\n!two\r\nHawk Works\r\nCourier\r\n 36pt\r\nItalic\r\nnull\r\nsixth\r\n!\r\nHW\r\n"
         "\r\n 2 Mill St \r\n!end\r\nignored\r\n",
         {},
         "Hawk Works",
         "Courier",
         36,
         false,
         true,
         false,
         {"HW", "", " 2 Mill St "}},
        // Ignore goes on with what was read: the brand lines are all there.
        {"Hawk\r\nCourier\r\n12\r\nbold\r\nNULL\r\n!\r\nHW\r\n",
         {{"Input past end of file: ", "Kestrel_Vanta.cfg", Button::Ignore}},
         "Hawk",
         "Courier",
         12,
         true,
         false,
         false,
         {"HW"}},
        // One error per missing item of a short brand group.
        {"Hawk\nCourier\n!\nHW\n!\n",
         {{"Subscript out of range: ", "Kestrel_Vanta.cfg", Button::Ignore},
          {"Subscript out of range: ", "Kestrel_Vanta.cfg", Button::Ignore},
          {"Subscript out of range: ", "Kestrel_Vanta.cfg", Button::Abort}},
         "Hawk",
         "Courier",
         0,
         true,
         true,
         false,
         {"HW"}},
        // Retry tries again.
        {"Hawk\nCourier\n12\nbold\nhawk.gif\n!\nHW\n!\n",
         {{"File not found: ", "hawk.gif", Button::Retry},
          {"File not found: ", "hawk.gif", Button::Ignore}},
         "Hawk",
         "Courier",
         12,
         true,
         false,
         false,
         {"HW"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.company + std::to_string(c.errors.size()));
        test::TempDir dir;
        test::ScriptedDialogs dialogs;
        if (c.cfg.empty())
            dir.copyData({"Orvane_Logo.gif"});
        else
            test::writeAll(dir.file("Kestrel_Vanta.cfg"), c.cfg);
        for (const auto& [text, file, answer] : c.errors)
            dialogs.expectError(text + dir.file(file), answer);
        Branding b;
        SplashWindow splash(QString::fromStdString(dir.path().string()), dialogs, b);
        EXPECT_TRUE(dialogs.done());
        const QFont font = splash.companyLabel()->font();
        EXPECT_EQ(splash.companyLabel()->text(), c.company);
        EXPECT_EQ(font.family(), c.family);
        EXPECT_TRUE(c.size == 0 || font.pointSizeF() == c.size) << font.pointSizeF();
        EXPECT_EQ(font.bold(), c.bold);
        EXPECT_EQ(font.italic(), c.italic);
        EXPECT_EQ(splash.logo()->pixmap().isNull(), !c.logo);
        EXPECT_TRUE(c.contacts.empty() || b.ContactLines == c.contacts);
        EXPECT_EQ(splash.unloadTimer()->interval(), 4000);
        EXPECT_FALSE(splash.unloadTimer()->isActive()); // it counts from the showing
        splash.show();
        EXPECT_TRUE(splash.unloadTimer()->isActive());
        // No logo, no empty square beside the texts: they stand centred in the splash.
        EXPECT_EQ(splash.logo()->isVisible(), c.logo);
        const QLabel* product = splash.findChild<QLabel*>("lblProductName");
        const int off = product->mapTo(&splash, product->rect().center()).x() - splash.width() / 2;
        EXPECT_TRUE(c.logo || std::abs(off) <= 2) << off;
    }
}

namespace {

// A user who answers each prompt only after the splash's unload time has run out: the
// time is cut to a millisecond and the event loop runs on, as it does under a real
// message box, until well past it.
class SlowDialogs : public test::ScriptedDialogs {
public:
    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* timer = w->findChild<QTimer*>(QStringLiteral("tmrSplashUnload")))
                timer->setInterval(1);
        QEventLoop wait;
        QTimer::singleShot(50, &wait, &QEventLoop::quit);
        wait.exec();
        return ScriptedDialogs::message(text, title, buttons, icon);
    }
};

} // namespace

TEST(StartUp, ASplashPromptAnsweredAfterTheUnloadTimeStillLeadsToTheMainWindow) {
    test::TempDir dir;
    dir.copyAllData();
    test::writeAll(dir.file("Kestrel_Vanta.cfg"), "Hawk\nArial\n12\nbold\nhawk.gif\n!\nHW\n!\n");
    SlowDialogs dialogs;
    dialogs.expectError("File not found: " + dir.file("hawk.gif"), Button::Ignore);
    // A splash that never unloads fails the test instead of hanging it.
    bool stuck = false;
    QObject guard;
    QTimer::singleShot(20s, &guard, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w); splash && splash->isVisible()) {
                stuck = true;
                splash->reject();
            }
    });
    const auto window =
        startUp(QString::fromStdString(dir.path().string()), &dialogs,
                std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini"))));
    EXPECT_FALSE(stuck);
    EXPECT_TRUE(dialogs.done());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "HW Kestrel Vanta Version 8.1");
}
