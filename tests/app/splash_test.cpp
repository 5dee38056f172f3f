// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;

namespace {

struct Splash : ::testing::Test {
    // Shows the splash over a folder holding `cfg` as its branding file (none if empty).
    void show(const std::string& cfg) {
        if (!cfg.empty()) test::writeAll(dir.file("Kestrel_Vanta.cfg"), cfg);
        splash =
            std::make_unique<SplashWindow>(QString::fromStdString(dir.path().string()), dialogs, b);
        EXPECT_TRUE(dialogs.done());
    }
    [[nodiscard]] QFont font() const { return splash->companyLabel()->font(); }

    test::TempDir dir;
    test::ScriptedDialogs dialogs;
    Branding b;
    std::unique_ptr<SplashWindow> splash;
};

} // namespace

TEST_F(Splash, NoBrandingFileUsesTheDefaults) {
    dir.copyData({"Orvane_Logo.gif"});
    show("");
    EXPECT_EQ(splash->companyLabel()->text(), "Orvane");
    EXPECT_EQ(font().family(), "Arial");
    EXPECT_EQ(font().pointSizeF(), 48.0);
    EXPECT_TRUE(font().bold());
    EXPECT_TRUE(font().italic());
    EXPECT_FALSE(splash->logo()->pixmap().isNull());
    EXPECT_EQ(b.shortName(), "Orvane");
    EXPECT_EQ(b.ContactLines.size(), 6u);
    EXPECT_TRUE(dialogs.prompts().empty());
    EXPECT_EQ(splash->unloadTimer()->interval(), 4000);
    EXPECT_FALSE(splash->unloadTimer()->isActive()); // it counts from the showing
    splash->show();
    EXPECT_TRUE(splash->unloadTimer()->isActive());
}

TEST_F(Splash, HeadingLinesSize36ItalicOnlyANullLogoASixthLineAndABlankContactLine) {
    show("!one\r\n!two\r\nHawk Works\r\nCourier\r\n36\r\nitalic\r\nnull\r\nsixth\r\n!\r\nHW\r\n"
         "\r\n2 Mill St\r\n!end\r\nignored\r\n");
    EXPECT_EQ(splash->companyLabel()->text(), "Hawk Works");
    EXPECT_EQ(font().family(), "Courier");
    EXPECT_EQ(font().pointSizeF(), 36.0);
    EXPECT_FALSE(font().bold());
    EXPECT_TRUE(font().italic());
    EXPECT_TRUE(splash->logo()->pixmap().isNull());
    // No logo, no empty square beside the texts: they stand centred in the splash.
    splash->show();
    EXPECT_FALSE(splash->logo()->isVisible());
    const QLabel* product = splash->findChild<QLabel*>("lblProductName");
    EXPECT_NEAR(product->mapTo(splash.get(), product->rect().center()).x(),
                splash->rect().center().x(), 2);
    EXPECT_TRUE(product->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(b.BrandLines.size(), 6u);
    EXPECT_EQ(b.BrandLines[5], "sixth");
    EXPECT_EQ(b.ContactLines, (std::vector<std::string>{"HW", "", "2 Mill St"}));
    EXPECT_EQ(b.shortName(), "HW");
    EXPECT_TRUE(dialogs.prompts().empty());
}

TEST_F(Splash, AFileThatEndsEarlyGoesToTheErrorPrompt) {
    // Ignore goes on with what was read: the brand lines are all there.
    dialogs.expectError("Input past end of file: " + dir.file("Kestrel_Vanta.cfg"), Button::Ignore);
    show("Hawk\r\nCourier\r\n12\r\nbold\r\nNULL\r\n!\r\nHW\r\n");
    EXPECT_EQ(splash->companyLabel()->text(), "Hawk");
    EXPECT_TRUE(font().bold());
    EXPECT_EQ(b.shortName(), "HW");
}

TEST_F(Splash, AShortBrandGroupFailsPerMissingItem) {
    const std::string shortFile = "Subscript out of range: " + dir.file("Kestrel_Vanta.cfg");
    dialogs.expectError(shortFile, Button::Ignore)
        .expectError(shortFile, Button::Ignore)
        .expectError(shortFile, Button::Abort);
    show("Hawk\nCourier\n!\nHW\n!\n");
    EXPECT_EQ(font().family(), "Courier");
}

TEST_F(Splash, AMissingLogoIsReportedAndRetryTriesAgain) {
    dialogs.expectError("File not found: " + dir.file("hawk.gif"), Button::Retry)
        .expectError("File not found: " + dir.file("hawk.gif"), Button::Ignore);
    show("Hawk\nCourier\n12\nbold\nhawk.gif\n!\nHW\n!\n");
    EXPECT_TRUE(splash->logo()->pixmap().isNull());
}
