// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kv {

// Text inside the program is UTF-8: file text is turned into it as it is read
// (fromWindows1252), so the same bytes show the same way in every window, caption and
// message. Every text handed to Qt for showing goes through shownText.
[[nodiscard]] inline QString shownText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the user typed or chose, back into the program's form.
[[nodiscard]] inline std::string programText(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace kv
