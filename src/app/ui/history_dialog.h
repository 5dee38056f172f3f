// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/transfer_history.h"

#include <QDialog>
#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace kv {

// File > History...: the transfer history, newest first, one row an entry with its date
// and time, direction, module identification, table type and the range of its values.
// Works by keyboard: the list has the focus, Enter opens the current entry, Alt+W
// compares with it, Alt+F shows the folder, Escape closes.
class HistoryDialog : public QDialog {
public:
    enum class Choice { None, Open, Compare };

    // `tableOpen`: Compare With needs an open table to compare with.
    HistoryDialog(std::vector<HistoryEntry> entries, std::string folder, bool tableOpen,
                  QWidget* parent = nullptr);

    [[nodiscard]] Choice choice() const { return m_choice; }
    // The entry chosen with Open or Compare With.
    [[nodiscard]] const HistoryEntry* chosen() const;
    [[nodiscard]] QTreeWidget* list() const { return m_list; }
    // What Show Folder runs (the desktop's file manager unless set).
    void setFolderOpener(std::function<void(const QString&)> open) {
        m_openFolder = std::move(open);
    }

    // "downloaded 2026-12-08 14:03:22 from VANTA 8.1 EX": the entry in a caption.
    [[nodiscard]] static std::string describe(const HistoryEntry& e);

private:
    void choose(Choice c);

    std::vector<HistoryEntry> m_entries;
    QString m_folder;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_compare = nullptr;
    Choice m_choice = Choice::None;
    std::function<void(const QString&)> m_openFolder;
};

} // namespace kv
