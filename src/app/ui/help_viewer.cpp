// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/help_viewer.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>

namespace kv {

HelpViewer::HelpViewer(QWidget* parent)
    : QDialog(parent), m_browser(new QTextBrowser), m_sections(new QListWidget),
      m_find(new QLineEdit) {
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(QStringLiteral("Kestrel Vanta Help"));
    m_browser->setOpenExternalLinks(false);
    m_sections->setObjectName(QStringLiteral("helpSections"));
    m_find->setObjectName(QStringLiteral("helpFind"));
    m_find->setPlaceholderText(QStringLiteral("Find in Help, then Enter"));
    m_find->setClearButtonEnabled(true);

    auto* findLabel = new QLabel(QStringLiteral("&Find:"));
    findLabel->setBuddy(m_find);
    auto* findNextButton = new QPushButton(QStringLiteral("Find &Next"));
    findNextButton->setAutoDefault(false);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_find, 1);
    findRow->addWidget(findNextButton);

    auto* split = new QSplitter;
    split->addWidget(m_sections);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 3);
    split->setSizes({270, 630});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* back = buttons->addButton(QStringLiteral("&Back"), QDialogButtonBox::ActionRole);
    auto* contents = buttons->addButton(QStringLiteral("&Contents"), QDialogButtonBox::ActionRole);
    // Enter belongs to the find box: no button takes it.
    for (QAbstractButton* b : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(b)) push->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_find, &QLineEdit::returnPressed, this, &HelpViewer::findNext);
    connect(findNextButton, &QPushButton::clicked, this, &HelpViewer::findNext);
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, m_find,
            [this] { m_find->setFocus(Qt::ShortcutFocusReason); });
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
            &HelpViewer::findNext);
    connect(m_sections, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) m_browser->scrollToAnchor(item->data(Qt::UserRole).toString());
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);
    resize(900, 600);
}

void HelpViewer::showSection(const QString& path, const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(path);
    if (m_browser->source().adjusted(QUrl::RemoveFragment) != url) {
        m_browser->setSource(url);
        listSections();
    }
    if (!anchor.isEmpty()) url.setFragment(anchor);
    m_browser->setSource(url);
    for (int i = 0; i < m_sections->count(); ++i)
        if (m_sections->item(i)->data(Qt::UserRole).toString() == anchor) {
            const QSignalBlocker block(m_sections);
            m_sections->setCurrentRow(i);
        }
    show();
    raise();
    activateWindow();
}

// The list holds each section heading of the document that carries an anchor.
void HelpViewer::listSections() {
    m_sections->clear();
    static const QRegularExpression heading(
        QStringLiteral("<h2[^>]*\\bid=\"([^\"]+)\"[^>]*>(.*?)</h2>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    // The source text, not Qt's rendering of it, keeps the ids as written.
    QFile file(m_browser->source().toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) return;
    const QString source = QString::fromUtf8(file.readAll());
    for (auto it = heading.globalMatch(source); it.hasNext();) {
        const auto m = it.next();
        QString title = m.captured(2);
        title.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        auto* item = new QListWidgetItem(QTextDocumentFragment::fromHtml(title).toPlainText());
        item->setData(Qt::UserRole, m.captured(1));
        m_sections->addItem(item);
    }
}

bool HelpViewer::findNext() {
    const QString text = m_find->text();
    if (text.isEmpty()) return false;
    if (m_browser->find(text)) return true;
    // From the top again.
    QTextCursor top(m_browser->document());
    m_browser->setTextCursor(top);
    return m_browser->find(text);
}

} // namespace kv
