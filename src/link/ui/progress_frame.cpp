// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/progress_frame.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace kv {

ProgressFrame::ProgressFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Programming"), parent), m_bar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("fraProgress1"));
    m_bar->setObjectName(QStringLiteral("prgProgress1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    QGroupBox::hide();
}

void ProgressFrame::setCaption(const std::string& caption) {
    setTitle(QString::fromStdString(caption));
}

void ProgressFrame::setValue(int percent) {
    m_bar->setValue(percent);
}

void ProgressFrame::showNow() {
    show();
    raise();
    // Drawn before the transfer starts, not whenever the loop next gets round to it.
    repaint();
}

int ProgressFrame::value() const {
    return m_bar->value();
}

} // namespace kv
