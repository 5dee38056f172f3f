// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <string>

namespace kv::test {

// The text of one page of a PDF file as pdftotext lays it out (poppler-utils), with
// every run of blanks as one blank; "" when the page or the file is not there.
inline std::string pdfPageText(const std::string& pdf, int page) {
    const QString p = QString::number(page);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", "-f", p, "-l", p, QString::fromStdString(pdf), "-"});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput())
        .replace(QRegularExpression(" +"), " ")
        .toStdString();
}

} // namespace kv::test
