// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/progress_frame.h"

#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

namespace kv {

ProgressFrame::ProgressFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Programming"), parent), m_bar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("fraProgress1"));
    m_bar->setObjectName(QStringLiteral("prgProgress1"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    m_drawTimer.setSingleShot(true);
    m_drawTimer.setTimerType(Qt::PreciseTimer);
    m_drawTimer.setInterval(1);
    connect(&m_drawTimer, &QTimer::timeout, this, &ProgressFrame::drawBar);
    QGroupBox::hide();
}

void ProgressFrame::setCaption(const std::string& caption) {
    setTitle(QString::fromStdString(caption));
    // The frame is not laid out by the window: it is made wide enough for its caption
    // (the title, its indent and the frame's edges) and keeps its centre.
    const QPoint centre = geometry().center();
    const int wide =
        fontMetrics().horizontalAdvance(title()) + 6 * fontMetrics().averageCharWidth();
    setMinimumWidth(std::max(wide, 200));
    resize(std::max(width(), minimumWidth()), sizeHint().height());
    if (isVisible()) move(centre - rect().center());
}

void ProgressFrame::setValue(int percent) {
    // QProgressBar repaints within setValue unless its updates are off.
    m_bar->setUpdatesEnabled(false);
    m_bar->setValue(percent);
    if (!m_drawTimer.isActive()) m_drawTimer.start();
}

void ProgressFrame::drawBar() {
    m_drawTimer.stop();
    m_bar->setUpdatesEnabled(true); // schedules the repaint
}

void ProgressFrame::hide() {
    drawBar();
    QGroupBox::hide();
}

void ProgressFrame::showNow() {
    drawBar();
    show();
    raise();
    // Drawn before the transfer starts, not whenever the loop next gets round to it.
    repaint();
}

int ProgressFrame::value() const {
    return m_bar->value();
}

} // namespace kv
