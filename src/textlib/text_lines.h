// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

// How every text file of the program is read, whatever wrote it: CR LF, LF alone and CR
// alone each end a line; a Ctrl-Z (0x1A) at the end of the file is an old end-of-file
// mark and is not part of the text. The program itself writes CR LF.

// The text without its trailing Ctrl-Z marks.
[[nodiscard]] std::string_view withoutEofMark(std::string_view text);

// Cuts lines off the front of a text. A last line with no line end is still a line.
class LineReader {
public:
    explicit LineReader(std::string_view text)
        : m_rest(withoutEofMark(text)), m_size(text.size()) {}

    // The next line without its line end; false when the text is used up.
    bool next(std::string_view& line);
    // Offset (into the text given) of the first byte not yet read.
    [[nodiscard]] std::size_t offset() const;

private:
    std::string_view m_rest;
    std::size_t m_size;
    std::size_t m_taken = 0;
};

// Text files carry single-byte Windows-1252 text. A byte below 0x20 other than tab, CR and
// LF, or 0x7F, marks a file as binary rather than text (the Ctrl-Z end mark excepted).
[[nodiscard]] bool isSingleByteText(std::string_view text);

// Stored Windows-1252 bytes as UTF-8, the one form text has inside the program. The five
// bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) show as U+FFFD.
[[nodiscard]] std::string fromWindows1252(std::string_view bytes);

} // namespace kv
