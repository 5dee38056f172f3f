// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;
using kv::test::writeAll;

namespace {
QString folderOf(const TempDir& d) { return QString::fromStdString(d.path().string()); }
} // namespace

TEST(Splash, NoBrandingFileUsesTheDefaults) {
    TempDir dir;
    dir.copyData({"Orvane_Logo.gif"});
    ScriptedDialogs dialogs;
    Branding b;
    SplashWindow splash(folderOf(dir), dialogs, b);
    EXPECT_EQ(splash.companyLabel()->text(), "Orvane");
    const QFont f = splash.companyLabel()->font();
    EXPECT_EQ(f.family(), "Arial");
    EXPECT_EQ(f.pointSizeF(), 48.0);
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_FALSE(splash.logo()->pixmap().isNull());
    EXPECT_EQ(b.shortName(), "Orvane");
    EXPECT_EQ(b.ContactLines.size(), 6u);
    EXPECT_TRUE(dialogs.prompts().empty());
    EXPECT_EQ(splash.unloadTimer()->interval(), 4000);
    EXPECT_TRUE(splash.unloadTimer()->isActive());
}

TEST(Splash, HeadingLinesSize36ItalicOnlyAndANullLogo) {
    TempDir dir;
    writeAll(dir.file("Kestrel_Vanta.cfg"),
             "!one\r\n!two\r\nHawk Works\r\nCourier\r\n36\r\nitalic\r\nnull\r\n!\r\nHW\r\n"
             "Hawk Works Ltd\r\n2 Mill St\r\nOldtown\r\n555\r\nhawk.example\r\n!end\r\n");
    ScriptedDialogs dialogs;
    Branding b;
    SplashWindow splash(folderOf(dir), dialogs, b);
    EXPECT_EQ(splash.companyLabel()->text(), "Hawk Works");
    const QFont f = splash.companyLabel()->font();
    EXPECT_EQ(f.family(), "Courier");
    EXPECT_EQ(f.pointSizeF(), 36.0);
    EXPECT_FALSE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(splash.logo()->pixmap().isNull());
    EXPECT_EQ(b.shortName(), "HW");
    EXPECT_TRUE(dialogs.prompts().empty());
}

TEST(Splash, AFileThatEndsEarlyGoesToTheErrorPrompt) {
    TempDir dir;
    writeAll(dir.file("Kestrel_Vanta.cfg"), "Hawk\r\nCourier\r\n12\r\nbold\r\nNULL\r\n!\r\nHW\r\n");
    ScriptedDialogs dialogs;
    // Ignore goes on with what was read: the brand lines are all there.
    dialogs.expectError("Input past end of file", Button::Ignore);
    Branding b;
    SplashWindow splash(folderOf(dir), dialogs, b);
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(splash.companyLabel()->text(), "Hawk");
    EXPECT_TRUE(splash.companyLabel()->font().bold());
    EXPECT_EQ(b.shortName(), "HW");
}

TEST(Splash, AShortBrandGroupFailsPerMissingItem) {
    TempDir dir;
    writeAll(dir.file("Kestrel_Vanta.cfg"), "Hawk\nCourier\n!\nHW\n!\n");
    ScriptedDialogs dialogs;
    dialogs.expectError("Subscript out of range", Button::Ignore)
        .expectError("Subscript out of range", Button::Ignore)
        .expectError("Subscript out of range", Button::Abort);
    Branding b;
    SplashWindow splash(folderOf(dir), dialogs, b);
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(splash.companyLabel()->font().family(), "Courier");
}

TEST(Splash, AMissingLogoIsReportedAndRetryTriesAgain) {
    TempDir dir;
    writeAll(dir.file("Kestrel_Vanta.cfg"), "Hawk\nCourier\n12\nbold\nhawk.gif\n!\nHW\n!\n");
    ScriptedDialogs dialogs;
    dialogs.expectError("File not found", Button::Retry)
        .expectError("File not found", Button::Ignore);
    Branding b;
    SplashWindow splash(folderOf(dir), dialogs, b);
    EXPECT_TRUE(dialogs.done());
    EXPECT_TRUE(splash.logo()->pixmap().isNull());
}
