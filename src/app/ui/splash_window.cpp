// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/splash_window.h"
#include "textlib/ui/shown_text.h"

#include "base/dialogs.h"
#include "base/step_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <fstream>

namespace kv {

SplashWindow::SplashWindow(const QString& programFolder, Dialogs& dialogs, Branding& branding,
                           QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmKestrel_Splash"));
    setModal(true);

    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraSplash"));
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(2);

    m_logo = new QLabel(frame);
    m_logo->setObjectName(QStringLiteral("imgLogo"));
    m_logo->setMinimumSize(128, 128);
    m_logo->setAlignment(Qt::AlignCenter);

    m_company = new QLabel(QStringLiteral("Orvane"), frame);
    m_company->setObjectName(QStringLiteral("lblCompanyName"));
    QFont designed(QStringLiteral("Arial"), 48);
    designed.setBold(true);
    designed.setItalic(true);
    m_company->setFont(designed);

    auto* product = new QLabel(QStringLiteral("Kestrel Vanta"), frame);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont productFont = product->font();
    productFont.setPointSize(28);
    productFont.setBold(true);
    product->setFont(productFont);
    auto* version = new QLabel(QStringLiteral("Version " KV_VERSION), frame);
    version->setObjectName(QStringLiteral("lblVersion"));
    QFont versionFont = version->font();
    versionFont.setPointSize(14);
    version->setFont(versionFont);
    auto* notice = new QLabel(QString::fromLatin1(kNoticeLine), frame);
    notice->setObjectName(QStringLiteral("lblNotice"));
    notice->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_company);
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addStretch();
    texts->addWidget(notice);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(24, 24, 24, 24);
    row->setSpacing(24);
    row->addWidget(m_logo);
    row->addLayout(texts, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    // The timer starts when the splash is shown (showEvent): the load's prompts may keep
    // the user for any time, and the 4 s count from when the splash can be seen.
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("tmrSplashUnload"));
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kUnloadMs);
    connect(m_timer, &QTimer::timeout, this, &QDialog::accept);

    load(programFolder, dialogs, branding);
    if (m_logo->pixmap().isNull()) {
        // Without a logo the texts stand alone, centred in the frame.
        m_logo->hide();
        for (QLabel* label : {m_company, product, version, notice})
            label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    }
    adjustSize();
}

void SplashWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!m_timer->isActive()) m_timer->start();
}

namespace {

// The error of a step that read `file`, its description naming the file.
template <class Step> auto naming(QString file, Step&& step) {
    return [file = std::move(file), step = std::forward<Step>(step)] {
        try {
            step();
        } catch (const KvError& e) {
            throw KvError(e.code(), e.source(),
                          e.description() + ": " + QDir::toNativeSeparators(file).toStdString());
        }
    };
}

} // namespace

void SplashWindow::load(const QString& folder, Dialogs& dialogs, Branding& branding) {
    StepRunner steps(dialogs);
    const QString path = folder + QStringLiteral("/Kestrel_Vanta.cfg");
    if (QFileInfo(path).isFile()) {
        if (!steps.run(naming(path, [&] {
                branding = Branding{};
                std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
                if (!in) throw KvError(75, "Kestrel Vanta", "Path/File access error");
                readBranding(in, branding);
            })))
            return;
    } else {
        branding = defaultBranding();
    }

    // A brand item missing is a short branding file: its prompt names the file too.
    if (!steps.run(naming(path, [&] { m_company->setText(shownText(branding.brand(1))); }))) return;
    QFont font = m_company->font();
    if (!steps.run(naming(path, [&] {
            font.setFamily(shownText(branding.brand(2)));
            m_company->setFont(font);
        })))
        return;
    if (!steps.run(naming(path, [&] {
            const double size = brandFontSize(branding.brand(3));
            if (!(size > 0 && size <= 2048))
                throw KvError(380, "Kestrel Vanta", "Invalid property value");
            font.setPointSizeF(size);
            m_company->setFont(font);
        })))
        return;
    if (!steps.run(naming(path, [&] {
            const std::string& style = branding.brand(4);
            font.setBold(containsNoCase(style, "bold"));
            font.setItalic(containsNoCase(style, "italic"));
            m_company->setFont(font);
        })))
        return;
    QString logoFile;
    if (!steps.run(naming(path, [&] { logoFile = shownText(branding.brand(5)); })) ||
        !steps.run(naming(folder + QLatin1Char('/') + logoFile, [&] {
            if (isNullLogo(logoFile.toStdString())) return;
            const QString file = folder + QLatin1Char('/') + logoFile;
            if (!QFileInfo(file).isFile()) throw KvError(53, "Kestrel Vanta", "File not found");
            QPixmap picture(file);
            if (picture.isNull()) throw KvError(481, "Kestrel Vanta", "Invalid picture");
            m_logo->setPixmap(
                picture.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        })))
        return;
    QCoreApplication::setApplicationName(QStringLiteral("Kestrel_Vanta_Splash"));
}

} // namespace kv
