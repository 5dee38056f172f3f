// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/qt_dialogs.h"
#include "textlib/ui/shown_text.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

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
    bool ok = false;
    const QString answer = QInputDialog::getText(m_parent, shownText(title), shownText(prompt),
                                                 QLineEdit::Normal, shownText(defaultAnswer), &ok);
    if (!ok) return std::nullopt;
    return toStd(answer);
}

QString QtDialogs::qtFilter(const std::string& filter) {
    const QStringList parts = shownText(filter).split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i];
    return out.join(QStringLiteral(";;"));
}

std::string QtDialogs::openFile(const std::string& title, const std::string& filter) {
    const QString path =
        QFileDialog::getOpenFileName(m_parent, shownText(title), m_lastFile, qtFilter(filter));
    if (!path.isEmpty()) m_lastFile = path;
    return toStd(path);
}

std::string QtDialogs::saveFile(const std::string& title, const std::string& filter) {
    // The program asks its own replace question, so Qt's is switched off.
    const QString path =
        QFileDialog::getSaveFileName(m_parent, shownText(title), m_lastFile, qtFilter(filter),
                                     nullptr, QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty()) m_lastFile = path;
    return toStd(path);
}

} // namespace kv
