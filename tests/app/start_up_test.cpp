// SPDX-License-Identifier: GPL-3.0-or-later
// Main's flow through the event loop: the splash, its prompts, then the main window.
#include "app/ui/splash_window.h"
#include "app/ui/start_up.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

using namespace kv;
using namespace std::chrono_literals;

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
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<SplashWindow*>(w); splash && splash->isVisible()) {
                stuck = true;
                splash->reject();
            }
    });
    watchdog.start(20s);

    const auto window =
        startUp(QString::fromStdString(dir.path().string()), &dialogs,
                std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini"))));
    EXPECT_FALSE(stuck);
    EXPECT_TRUE(dialogs.done());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "HW Kestrel Vanta Version 8.1");
}
