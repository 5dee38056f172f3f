// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <string>

namespace kv::test {

// The text of one page of a PDF file as pdftotext lays it out (poppler-utils), with
// every run of blanks as one blank; "" when the page or the file is not there.
inline std::string pdfPageText(const std::string& pdf, int page) {
    const std::string p = std::to_string(page);
    const std::string cmd =
        "pdftotext -layout -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null";
    std::string out;
    if (FILE* f = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            out.append(buf, n);
        ::pclose(f);
    }
    std::string squeezed;
    for (char c : out)
        if (c != ' ' || squeezed.empty() || squeezed.back() != ' ') squeezed.push_back(c);
    return squeezed;
}

} // namespace kv::test
