// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/port_select_frame.h"

#include "link/port_map.h"
#include "link/usb_latency.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace kv {

PortSelectFrame::PortSelectFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Data Port Setup"), parent), m_combo(new QComboBox(this)),
      m_device(new QLabel(this)), m_latency(new QLabel(this)) {
    setObjectName(QStringLiteral("fraPortSelect"));
    auto* label = new QLabel(QStringLiteral("Port"), this);
    label->setObjectName(QStringLiteral("lblPort"));
    label->setBuddy(m_combo);
    m_combo->setObjectName(QStringLiteral("cboPort"));
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_combo->addItem(QString::fromStdString(portName(n)));
    m_combo->setMaxVisibleItems(16);
    m_device->setObjectName(QStringLiteral("lblDevice"));
    m_latency->setObjectName(QStringLiteral("lblLatency"));
    m_latency->setWordWrap(true);
    m_latency->hide();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdPortSelectOK"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_combo, 0, 1);
    layout->addWidget(ok, 0, 2);
    layout->addWidget(m_device, 1, 0, 1, 3);
    layout->addWidget(m_latency, 2, 0, 1, 3);

    connect(m_combo, &QComboBox::activated, this,
            [this](int index) { Q_EMIT portChosen(index + 1); });
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void PortSelectFrame::selectPort(int number) {
    const QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(number - 1);
}

int PortSelectFrame::selectedPort() const {
    return m_combo->currentIndex() + 1;
}

void PortSelectFrame::setDevice(const QString& device) {
    m_device->setText(QStringLiteral("Device: ") + device);
    const std::string note = latencyNote(device.toStdString(), m_sysRoot);
    m_latency->setText(QString::fromStdString(note));
    m_latency->setVisible(!note.empty());
}

QString PortSelectFrame::device() const {
    return m_device->text().mid(8);
}

} // namespace kv
