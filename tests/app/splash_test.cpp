// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"
#include "app/ui/start_up.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;

TEST(Splash, ShowsTheBrandingFileOrTheDefaultsAndReportsWhatIsWrongWithIt) {
    // The file (none if empty); the answers to the error prompts, I(gnore), A(bort) or
    // R(etry); their text, then the path of the file named; what is shown.
    const std::tuple<std::string, std::string, std::string, const char*, const char*, const char*>
        cases[] = {
            {"", "", "", "Orvane", "Arial 48 bold italic", ""},
            {"!one\r\n!two\r\nHawk Works\r\nCourier\r\n 36pt\r\nItalic\r\nnull\r\nsixth\r\n!\r\nHW"
             "\r\n\r\n 2 Mill St \r\n!end\r\nignored\r\n",
             "", "", "Hawk Works", "Courier 36 italic", "HW|| 2 Mill St "},
            // Ignore goes on with what was read: the brand lines are all there.
            {"Soci\xe9t\xe9 \x80\rCourier\r12\rbold\rNULL\r!\rHW\r\x1a", "I",
             "Input past end of file: Kestrel_Vanta.cfg", "Soci\u00e9t\u00e9 \u20ac",
             "Courier 12 bold", "HW"},
            // One error per missing item of a short brand group.
            {"Hawk\nCourier\n!\nHW\n!\n", "IIA", "Subscript out of range: Kestrel_Vanta.cfg",
             "Hawk", "Courier 48 bold italic", "HW"},
            {"Hawk\nCourier\n12\nbold\nhawk.gif\n!\nHW\n!\n", "RI", "File not found: hawk.gif",
             "Hawk", "Courier 12 bold", "HW"},
        };
    for (const auto& [cfg, answers, error, company, font, contacts] : cases) {
        SCOPED_TRACE(cfg);
        test::TempDir dir;
        test::ScriptedDialogs dialogs;
        if (cfg.empty())
            dir.copyData({"Orvane_Logo.gif"});
        else
            test::writeAll(dir.file("Kestrel_Vanta.cfg"), cfg);
        const std::size_t at = error.find(": ") + 2;
        for (const char a : answers)
            dialogs.expectError(error.substr(0, at) + dir.file(error.substr(at)),
                                a == 'I'   ? Button::Ignore
                                : a == 'A' ? Button::Abort
                                           : Button::Retry);
        Branding b;
        SplashWindow splash(QString::fromStdString(dir.path().string()), dialogs, b);
        EXPECT_TRUE(dialogs.done());
        const QFont f = splash.companyLabel()->font();
        EXPECT_EQ(splash.companyLabel()->text(), QString::fromUtf8(company));
        EXPECT_EQ(f.family() + " " + QString::number(f.pointSizeF()) + (f.bold() ? " bold" : "") +
                      (f.italic() ? " italic" : ""),
                  font);
        std::string shown;
        for (const std::string& line : b.ContactLines)
            shown += (shown.empty() ? "" : "|") + line;
        EXPECT_TRUE(!*contacts || shown == contacts) << shown;
        EXPECT_EQ(splash.logo()->pixmap().isNull(), !cfg.empty());
    }
}

// Notes whether the splash's unload time was already running when a prompt came up, and
// cuts that time to nothing: it then runs out while the splash is still being shown.
struct WatchingDialogs : test::ScriptedDialogs {
    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* timer = w->findChild<QTimer*>(QStringLiteral("tmrSplashUnload"))) {
                unloadRunning = unloadRunning || timer->isActive();
                timer->setInterval(0);
            }
        return ScriptedDialogs::message(text, title, buttons, icon);
    }
    bool unloadRunning = false;
};

// The splash's unload time starts only once its prompts are answered, however late, and
// an Abort during start-up leaves the empty start window, never a table.
TEST(StartUp, PromptsComeBeforeTheUnloadTimeAndAnAbortLeavesTheEmptyStartWindow) {
    test::TempDir dir;
    dir.copyAllData();
    test::writeAll(dir.file("Kestrel_Vanta.cfg"), "Hawk\nArial\n12\nbold\nhawk.gif\n!\nHW\n!\n");
    test::writeAll(dir.file("kv.ini"), "[Properties]\nCommPort=abc\n");
    WatchingDialogs dialogs;
    dialogs.expectError("File not found: " + dir.file("hawk.gif"), Button::Ignore)
        .expectError("The stored serial port \"abc\" is not a whole number.\nSettings file: " +
                         dir.file("kv.ini"),
                     Button::Abort);
    const auto w =
        startUp(QString::fromStdString(dir.path().string()), &dialogs,
                std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini"))));
    EXPECT_TRUE(dialogs.done() && !dialogs.unloadRunning);
    ASSERT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "HW Kestrel Vanta Version " KV_VERSION);
    EXPECT_FALSE(w->tableShown() || w->chart()->isVisible() || w->grid()->isVisible());
    EXPECT_EQ(w->grid()->model()->index(0, 16).data().toString(), "7500");
}
