// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

#include <QString>

class QWidget;

namespace kv {

// Real dialogs, owned by a parent window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : m_parent(parent) {}

    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& defaultAnswer) override;
    std::string openFile(const std::string& title, const std::string& filter) override;
    std::string saveFile(const std::string& title, const std::string& filter) override;

    // "Description|pattern|Description|pattern" becomes Qt's ";;"-separated form.
    [[nodiscard]] static QString qtFilter(const std::string& filter);

private:
    QWidget* m_parent;
    QString m_lastFile; // the file dialog keeps its file name between showings
};

} // namespace kv
