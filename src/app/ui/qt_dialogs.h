// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

#include <QString>
#include <functional>

class QWidget;

namespace kv {

// The folder the file dialogs start in: the one last used while it exists, else the
// program's folder while it can be written to, else the user's documents folder.
[[nodiscard]] QString fileDialogFolder(const QString& lastUsed, const QString& programFolder);

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

    // Shows Help about `prompt`: offered by the input boxes whose prompt refers to Help.
    void setHelp(std::function<void(QWidget* prompt)> help) { m_help = std::move(help); }

    // Where the file dialogs start: `folder` gives the folder last used (empty: none yet),
    // `remember` keeps the one a dialog ended in; `programFolder` is the first choice when
    // nothing was used yet.
    void setFolderStore(std::function<QString()> folder,
                        std::function<void(const QString&)> remember, QString programFolder);

    // "Description|pattern|Description|pattern" becomes Qt's ";;"-separated form.
    [[nodiscard]] static QString qtFilter(const std::string& filter);

private:
    QWidget* m_parent;
    std::function<void(QWidget*)> m_help;
    QString m_lastFile; // the file dialog keeps its file name between showings
    std::function<QString()> m_folder;
    std::function<void(const QString&)> m_remember;
    QString m_programFolder;
    QString startPath() const;
    void remember(const QString& path);
};

} // namespace kv
