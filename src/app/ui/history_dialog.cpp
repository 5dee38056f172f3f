// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/history_dialog.h"

#include "table/numbers.h"
#include "textlib/ui/shown_text.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace kv {

HistoryDialog::HistoryDialog(std::vector<HistoryEntry> entries, std::string folder, bool tableOpen,
                             QWidget* parent)
    : QDialog(parent), m_entries(std::move(entries)), m_folder(QFile::decodeName(folder.c_str())),
      m_openFolder([](const QString& f) { QDesktopServices::openUrl(QUrl::fromLocalFile(f)); }) {
    setObjectName(QStringLiteral("dlgHistory"));
    setWindowTitle(QStringLiteral("History"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        m_entries.empty()
            ? QStringLiteral("No transfer has been kept yet in %1.")
                  .arg(QDir::toNativeSeparators(m_folder))
            : QStringLiteral("Every download and upload, newest first. The first table "
                             "downloaded from each module is kept for ever, of the rest the "
                             "newest %1.")
                  .arg(kHistoryKept),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstHistory"));
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Date and time"), QStringLiteral("Direction"),
                             QStringLiteral("Module"), QStringLiteral("Type"),
                             QStringLiteral("Values"), QStringLiteral("Kept")});
    for (const HistoryEntry& e : m_entries) {
        auto* row = new QTreeWidgetItem(m_list);
        row->setText(0, shownText(e.record.time));
        row->setText(1, e.record.direction == TransferDirection::Upload
                            ? QStringLiteral("Uploaded")
                            : QStringLiteral("Downloaded"));
        row->setText(2, shownText(e.record.FirmwareID));
        row->setText(3, shownText(e.TableType));
        row->setText(4, QStringLiteral("%1 to %2")
                            .arg(shownText(format1(e.lowest)), shownText(format1(e.highest))));
        row->setText(5, e.firstOfModule ? QStringLiteral("for ever") : QString());
        row->setToolTip(0, QDir::toNativeSeparators(QFile::decodeName(e.path.c_str())));
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_list->topLevelItemCount() > 0) m_list->setCurrentItem(m_list->topLevelItem(0));
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(this);
    m_open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::AcceptRole);
    m_open->setObjectName(QStringLiteral("cmdOpen"));
    m_compare = buttons->addButton(QStringLiteral("Compare &With"), QDialogButtonBox::ActionRole);
    m_compare->setObjectName(QStringLiteral("cmdCompare"));
    QPushButton* show =
        buttons->addButton(QStringLiteral("Show &Folder"), QDialogButtonBox::ActionRole);
    show->setObjectName(QStringLiteral("cmdShowFolder"));
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    m_open->setDefault(true);
    m_open->setEnabled(!m_entries.empty());
    m_compare->setEnabled(!m_entries.empty() && tableOpen);
    layout->addWidget(buttons);

    connect(m_open, &QPushButton::clicked, this, [this] { choose(Choice::Open); });
    connect(m_compare, &QPushButton::clicked, this, [this] { choose(Choice::Compare); });
    connect(show, &QPushButton::clicked, this, [this] {
        QDir().mkpath(m_folder);
        m_openFolder(m_folder);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { choose(Choice::Open); });
    m_list->setFocus();
    resize(720, 420);
}

const HistoryEntry* HistoryDialog::chosen() const {
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (m_choice == Choice::None || row < 0) return nullptr;
    return &m_entries[static_cast<std::size_t>(row)];
}

void HistoryDialog::choose(Choice c) {
    if (!m_list->currentItem()) return;
    m_choice = c;
    accept();
}

std::string HistoryDialog::describe(const HistoryEntry& e) {
    return std::string(e.record.direction == TransferDirection::Upload ? "uploaded "
                                                                       : "downloaded ") +
           e.record.time + (e.record.direction == TransferDirection::Upload ? " to " : " from ") +
           e.record.FirmwareID;
}

} // namespace kv
