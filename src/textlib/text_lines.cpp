// SPDX-License-Identifier: GPL-3.0-or-later
#include "textlib/text_lines.h"

#include <array>
#include <cstdint>

namespace kv {
namespace {

constexpr char kEofMark = '\x1A';

// Code points of bytes 0x80 to 0x9F; 0xA0 to 0xFF are the same as in Latin-1.
constexpr std::array<std::uint16_t, 32> kHighControls{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::string_view withoutEofMark(std::string_view text) {
    while (!text.empty() && text.back() == kEofMark)
        text.remove_suffix(1);
    return text;
}

bool LineReader::next(std::string_view& line) {
    if (m_rest.empty()) return false;
    const auto end = m_rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        line = m_rest;
        m_taken += m_rest.size();
        m_rest = {};
        return true;
    }
    line = m_rest.substr(0, end);
    const bool crlf = m_rest[end] == '\r' && end + 1 < m_rest.size() && m_rest[end + 1] == '\n';
    const std::size_t used = end + (crlf ? 2 : 1);
    m_rest.remove_prefix(used);
    m_taken += used;
    return true;
}

std::size_t LineReader::offset() const {
    // Past the last line, the end mark counts as read too.
    return m_rest.empty() ? m_size : m_taken;
}

bool isSingleByteText(std::string_view text) {
    for (const char ch : withoutEofMark(text)) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return false;
    }
    return true;
}

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        appendUtf8(out, c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c);
    }
    return out;
}

} // namespace kv
