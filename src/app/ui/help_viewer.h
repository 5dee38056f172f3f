// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace kv {

// The program's help document, shown beside the main window (or over a prompt): a list of
// its sections, the text, and a find box.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the document's first page, its table of contents.
    void showContents(const QString& path) { showSection(path, {}); }
    // Shows the document at the section whose anchor is `anchor` (empty: its top).
    void showSection(const QString& path, const QString& anchor);
    [[nodiscard]] QTextBrowser* browser() const { return m_browser; }
    [[nodiscard]] QListWidget* sections() const { return m_sections; }
    [[nodiscard]] QLineEdit* findBox() const { return m_find; }
    // Selects the next place the find box's text occurs, from the top again after the
    // last one; false when it occurs nowhere.
    bool findNext();

private:
    void listSections();

    QTextBrowser* m_browser;
    QListWidget* m_sections;
    QLineEdit* m_find;
};

} // namespace kv
