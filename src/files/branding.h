// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace kv {

// The maker's branding, read once by the splash from "Kestrel_Vanta.cfg": the brand
// group (company name, font name, font size, font style words, logo file) and the
// contact group (short name, company, street, city, telephone, web address).
struct Branding {
    std::vector<std::string> BrandLines;
    std::vector<std::string> ContactLines;

    // 1-based items; a missing item is the run-time "Subscript out of range" error.
    [[nodiscard]] const std::string& brand(std::size_t item) const;
    [[nodiscard]] const std::string& contact(std::size_t item) const;
    // The short name for captions and reports: contact item 1, or "" when absent.
    [[nodiscard]] std::string shortName() const;
};

[[nodiscard]] Branding defaultBranding();

// Reads the two groups from a branding file's lines (any line end, textlib/text_lines.h).
// The file's Windows-1252 text is kept as UTF-8, like every text inside the program. A file that
// ends before its second separator raises the run-time "Input past end of file" error after storing
// what it read, as the reading would.
void readBranding(std::istream& in, Branding& out);

struct FontChoice {
    std::string family;
    double pointSize = 0;
    bool bold = false;
    bool italic = false;
};

// Items 2 to 4 of the brand group as a font: the size is the leading number of its
// text; "bold" and "italic" count wherever they stand, in any case.
[[nodiscard]] double brandFontSize(const std::string& sizeText);
[[nodiscard]] bool containsNoCase(const std::string& text, const std::string& part);
// Item 5: "NULL" in any case means no logo.
[[nodiscard]] bool isNullLogo(const std::string& logoItem);

// The About box text: "<short name> Kestrel Vanta Version <version>", the notice line, an
// empty line, then contact items 2 to the last, each ended by a line break.
[[nodiscard]] std::string aboutText(const Branding& b);

inline constexpr const char* kNoticeLine =
    "Free software under the GNU General Public License, version 3 or later.";

} // namespace kv
