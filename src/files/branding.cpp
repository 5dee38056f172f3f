// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/branding.h"

#include "base/errors.h"
#include "table/numbers.h"
#include "textlib/text_lines.h"

#include <algorithm>
#include <cctype>

namespace kv {
namespace {

KvError subscriptError() {
    return KvError(9, "Kestrel Vanta", "Subscript out of range");
}
KvError pastEndError() {
    return KvError(62, "Kestrel Vanta", "Input past end of file");
}

// The branding file is a few lines; more than this is not one.
constexpr std::size_t kMaxBrandingBytes = 64 * 1024;

std::string readText(std::istream& in) {
    std::string bytes(kMaxBrandingBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool readLine(LineReader& lines, std::string& line) {
    std::string_view raw;
    if (!lines.next(raw)) return false;
    line = fromWindows1252(raw);
    return true;
}

bool isSeparator(const std::string& line) {
    return !line.empty() && line.front() == '!';
}

const std::string& item(const std::vector<std::string>& v, std::size_t i) {
    if (i < 1 || i > v.size()) throw subscriptError();
    return v[i - 1];
}

} // namespace

const std::string& Branding::brand(std::size_t i) const {
    return item(BrandLines, i);
}
const std::string& Branding::contact(std::size_t i) const {
    return item(ContactLines, i);
}
std::string Branding::shortName() const {
    return ContactLines.empty() ? std::string() : ContactLines.front();
}

Branding defaultBranding() {
    Branding b;
    b.BrandLines = {"Orvane", "Arial", "48", "bold italic", "Orvane_Logo.gif"};
    b.ContactLines = {"Orvane",
                      "Orvane Motor Electronics",
                      "14 Foundry Lane",
                      "Harrow Ridge, WI 53000",
                      "Tel. (555) 014-2290",
                      "www.orvane.example"};
    return b;
}

void readBranding(std::istream& stream, Branding& out) {
    const std::string text = readText(stream);
    LineReader in(text);
    std::string line;
    // Heading lines, then the first line of the brand group.
    do {
        if (!readLine(in, line)) throw pastEndError();
    } while (isSeparator(line));
    out.BrandLines.push_back(line);
    for (;;) {
        if (!readLine(in, line)) throw pastEndError();
        if (isSeparator(line)) break;
        out.BrandLines.push_back(line);
    }
    for (;;) {
        if (!readLine(in, line)) throw pastEndError();
        if (isSeparator(line)) break;
        out.ContactLines.push_back(line);
    }
}

double brandFontSize(const std::string& sizeText) {
    return leadingNumber(sizeText);
}

bool containsNoCase(const std::string& text, const std::string& part) {
    const auto it =
        std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) ==
                   std::toupper(static_cast<unsigned char>(b));
        });
    return it != text.end() || part.empty();
}

bool isNullLogo(const std::string& logoItem) {
    std::string up = logoItem;
    std::transform(up.begin(), up.end(), up.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return up == "NULL";
}

std::string aboutText(const Branding& b) {
    std::string s = b.shortName() + " Kestrel Vanta Version " KV_VERSION;
    s += "\n";
    s += kNoticeLine;
    s += "\n\n";
    for (std::size_t i = 2; i <= b.ContactLines.size(); ++i)
        s += b.ContactLines[i - 1] + "\n";
    return s;
}

} // namespace kv
