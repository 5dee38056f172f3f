// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"
#include "files/branding.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace kv;

namespace {
Branding read(const std::string& text) {
    std::istringstream in(text);
    Branding b;
    readBranding(in, b);
    return b;
}
} // namespace

// The groups and their lines go through the splash window's tests.
TEST(BrandingFile, LinesAreStoredUntrimmed) {
    const Branding spaced = read("  Acme \n!\n AC\n!\n");
    EXPECT_EQ(spaced.BrandLines[0], "  Acme ");
    EXPECT_EQ(spaced.ContactLines[0], " AC");
}

TEST(BrandingFile, AFileThatEndsEarlyIsAnErrorAfterWhatWasRead) {
    std::istringstream in("Acme\nArial\n!\nAC\nStreet\n");
    Branding b;
    try {
        readBranding(in, b);
        FAIL() << "no error";
    } catch (const KvError& e) {
        EXPECT_EQ(e.description(), "Input past end of file");
    }
    EXPECT_EQ(b.BrandLines.size(), 2u);
    EXPECT_EQ(b.ContactLines.size(), 2u);
    EXPECT_THROW((void)b.brand(3), KvError);
    Branding empty;
    std::istringstream none("");
    EXPECT_THROW(readBranding(none, empty), KvError);
}

TEST(BrandingFile, FontWordsAndSizes) {
    EXPECT_EQ(brandFontSize("36"), 36.0);
    EXPECT_EQ(brandFontSize("  24pt"), 24.0);
    EXPECT_EQ(brandFontSize("big"), 0.0);
    EXPECT_TRUE(containsNoCase("Italic BOLD", "bold"));
    EXPECT_TRUE(containsNoCase("bolditalic", "italic"));
    EXPECT_FALSE(containsNoCase("regular", "bold"));
    EXPECT_TRUE(isNullLogo("NuLL"));
    EXPECT_FALSE(isNullLogo(" null"));
}
