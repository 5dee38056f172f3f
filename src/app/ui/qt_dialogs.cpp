// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/qt_dialogs.h"
#include "textlib/ui/shown_text.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

namespace kv {
namespace {

QMessageBox::StandardButtons standardButtons(Buttons b) {
    switch (b) {
    case Buttons::OK:
        return QMessageBox::Ok;
    case Buttons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon qtIcon(Icon i) {
    switch (i) {
    case Icon::None:
        return QMessageBox::NoIcon;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

Button fromStandard(int b, Buttons set) {
    switch (b) {
    case QMessageBox::Ok:
        return Button::OK;
    case QMessageBox::Abort:
        return Button::Abort;
    case QMessageBox::Retry:
        return Button::Retry;
    case QMessageBox::Ignore:
        return Button::Ignore;
    case QMessageBox::Yes:
        return Button::Yes;
    case QMessageBox::No:
        return Button::No;
    case QMessageBox::Cancel:
        return Button::Cancel;
    default:
        break;
    }
    return cancellingAnswer(set);
}

std::string toStd(const QString& s) {
    return programText(s);
}

} // namespace

Button QtDialogs::message(const std::string& text, const std::string& title, Buttons buttons,
                          Icon icon) {
    QMessageBox box(qtIcon(icon), shownText(title), shownText(text), standardButtons(buttons),
                    m_parent);
    return fromStandard(box.exec(), buttons);
}

std::optional<std::string> QtDialogs::input(const std::string& prompt, const std::string& title,
                                            const std::string& defaultAnswer) {
    QInputDialog box(m_parent);
    box.setWindowTitle(shownText(title));
    box.setLabelText(shownText(prompt));
    box.setTextValue(shownText(defaultAnswer));
    box.setInputMode(QInputDialog::TextInput);
    if (m_help && shownText(prompt).contains(QStringLiteral("Help"), Qt::CaseInsensitive)) {
        // The buttons are laid out when the box is first shown; Help joins them then.
        QTimer::singleShot(0, &box, [this, &box] {
            if (auto* buttons = box.findChild<QDialogButtonBox*>()) {
                QPushButton* help = buttons->addButton(QDialogButtonBox::Help);
                help->setAutoDefault(false);
                QObject::connect(help, &QPushButton::clicked, &box, [this, &box] { m_help(&box); });
            }
        });
    }
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return toStd(box.textValue());
}

QString QtDialogs::qtFilter(const std::string& filter) {
    const QStringList parts = shownText(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i];
    return out.join(QStringLiteral(";;"));
}

QString fileDialogFolder(const QString& lastUsed, const QString& programFolder) {
    if (!lastUsed.isEmpty() && QFileInfo(lastUsed).isDir()) return lastUsed;
    const QFileInfo program(programFolder);
    if (!programFolder.isEmpty() && program.isDir() && program.isWritable()) return programFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

void QtDialogs::setFolderStore(std::function<QString()> folder,
                               std::function<void(const QString&)> remember,
                               QString programFolder) {
    m_folder = std::move(folder);
    m_remember = std::move(remember);
    m_programFolder = std::move(programFolder);
}

QString QtDialogs::startPath() const {
    // The name last chosen, in the folder last used (which may have been used by another
    // run since).
    const QString folder = fileDialogFolder(m_folder ? m_folder() : QString(), m_programFolder);
    if (m_lastFile.isEmpty()) return folder;
    return QDir(folder).filePath(QFileInfo(m_lastFile).fileName());
}

void QtDialogs::remember(const QString& path) {
    if (path.isEmpty()) return;
    m_lastFile = path;
    if (m_remember) m_remember(QFileInfo(path).absolutePath());
}

std::string QtDialogs::openFile(const std::string& title, const std::string& filter) {
    // A typed name that does not exist is handed back too: the program's own prompt says
    // "File not found." and offers Retry.
    QFileDialog dialog(m_parent, shownText(title), startPath(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString path = dialog.selectedFiles().constFirst();
    remember(path);
    return toStd(path);
}

std::string QtDialogs::saveFile(const std::string& title, const std::string& filter) {
    // The program asks its own replace question, so Qt's is switched off.
    const QString path =
        QFileDialog::getSaveFileName(m_parent, shownText(title), startPath(), qtFilter(filter),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    remember(path);
    return toStd(path);
}

} // namespace kv
