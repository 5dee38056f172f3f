// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/port_select_frame.h"

#include "link/port_map.h"
#include "link/usb_latency.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <algorithm>

namespace kv {
namespace {

// What an entry of the device list stands for.
enum class Entry { Standard, Device, TypePath };
constexpr int kPathRole = Qt::UserRole;
constexpr int kEntryRole = Qt::UserRole + 1;
// The device Find module asks for an entry (empty: none).
constexpr int kAskRole = Qt::UserRole + 2;
// Between the panel's border and the group box drawn inside it.
constexpr int kInset = 4;

} // namespace

PortSelectFrame::PortSelectFrame(QWidget* parent)
    : QGroupBox(QStringLiteral("Data Port Setup"), parent), m_combo(new QComboBox(this)),
      m_devices(new QComboBox(this)), m_path(new QLineEdit(this)),
      m_find(new QPushButton(QStringLiteral("Find module"), this)), m_device(new QLabel(this)),
      m_status(new QLabel(this)), m_latency(new QLabel(this)) {
    setObjectName(QStringLiteral("fraPortSelect"));
    // Opaque over the chart: the window's own background under the group box's look.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto* label = new QLabel(QStringLiteral("Port"), this);
    label->setObjectName(QStringLiteral("lblPort"));
    label->setBuddy(m_combo);
    m_combo->setObjectName(QStringLiteral("cboPort"));
    for (int n = kFirstPort; n <= kLastPort; ++n)
        m_combo->addItem(QString::fromStdString(portName(n)));
    m_combo->setMaxVisibleItems(16);
    m_latency->setObjectName(QStringLiteral("lblLatency"));
    m_latency->setWordWrap(true);
    m_latency->hide();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdPortSelectOK"));

    auto* deviceLabel = new QLabel(QStringLiteral("Device"), this);
    deviceLabel->setObjectName(QStringLiteral("lblDeviceList"));
    deviceLabel->setBuddy(m_devices);
    m_devices->setObjectName(QStringLiteral("cboDevice"));
    m_devices->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_path->setObjectName(QStringLiteral("txtDevicePath"));
    m_path->setPlaceholderText(QStringLiteral("Device path, then Enter"));
    m_path->hide();
    m_find->setObjectName(QStringLiteral("cmdFindModule"));
    m_find->setToolTip(QStringLiteral("Ask each listed device for a module's identification"));
    m_device->setObjectName(QStringLiteral("lblDevice"));
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    m_status->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_combo, 0, 1);
    layout->addWidget(ok, 0, 2);
    layout->addWidget(deviceLabel, 1, 0);
    layout->addWidget(m_devices, 1, 1);
    layout->addWidget(m_find, 1, 2);
    layout->addWidget(m_path, 2, 1, 1, 2);
    layout->addWidget(m_device, 3, 0, 1, 3);
    layout->addWidget(m_status, 4, 0, 1, 3);
    layout->addWidget(m_latency, 5, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    const QMargins m = layout->contentsMargins();
    layout->setContentsMargins(m.left() + kInset, m.top() + kInset, m.right() + kInset,
                               m.bottom() + kInset);

    // What a search found belongs to the choice it was made for.
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        setStatus({});
        Q_EMIT portChosen(index + 1);
    });
    connect(m_devices, &QComboBox::activated, this, &PortSelectFrame::deviceActivated);
    connect(m_path, &QLineEdit::returnPressed, this, [this] {
        const QString path = m_path->text().trimmed();
        if (path.isEmpty()) return;
        setStatus({});
        Q_EMIT deviceChosen(path);
    });
    connect(m_find, &QPushButton::clicked, this, &PortSelectFrame::findRequested);
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

void PortSelectFrame::setDevices(const std::vector<SerialDevice>& devices,
                                 const QString& standardDevice, const QString& current) {
    const QSignalBlocker block(m_devices);
    m_devices->clear();
    const auto add = [this](const QString& text, Entry entry, const QString& path,
                            const QString& ask) {
        m_devices->addItem(text);
        m_devices->setItemData(m_devices->count() - 1, path, kPathRole);
        m_devices->setItemData(m_devices->count() - 1, static_cast<int>(entry), kEntryRole);
        m_devices->setItemData(m_devices->count() - 1, ask, kAskRole);
    };
    // The standard device is listed once: as the standard entry, described as the system
    // reports it when it does, and then asked by Find as well.
    const auto standard = std::find_if(devices.begin(), devices.end(), [&](const SerialDevice& d) {
        return d.path == standardDevice;
    });
    if (standard != devices.end())
        add(QStringLiteral("Standard: ") + deviceLabel(*standard), Entry::Standard, QString(),
            standard->path);
    else
        add(QStringLiteral("Standard: ") + standardDevice, Entry::Standard, QString(), QString());
    for (const SerialDevice& d : devices)
        if (d.path != standardDevice) add(deviceLabel(d), Entry::Device, d.path, d.path);
    add(QStringLiteral("Type a path..."), Entry::TypePath, QString(), QString());

    int index = 0;
    if (!current.isEmpty()) {
        index = m_devices->findData(current, kPathRole);
        if (index < 0) index = m_devices->count() - 1; // a typed path
    }
    m_devices->setCurrentIndex(index);
    const bool typed =
        m_devices->itemData(index, kEntryRole).toInt() == static_cast<int>(Entry::TypePath);
    m_path->setVisible(typed);
    if (typed) m_path->setText(current);
    adjustSize();
}

QStringList PortSelectFrame::listedDevices() const {
    QStringList paths;
    for (int i = 0; i < m_devices->count(); ++i)
        if (const QString ask = m_devices->itemData(i, kAskRole).toString(); !ask.isEmpty())
            paths << ask;
    return paths;
}

void PortSelectFrame::setSearching(bool searching) {
    m_find->setEnabled(!searching);
}

void PortSelectFrame::setStatus(const QString& text) {
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    adjustSize();
}

void PortSelectFrame::deviceActivated(int index) {
    setStatus({});
    switch (static_cast<Entry>(m_devices->itemData(index, kEntryRole).toInt())) {
    case Entry::Standard:
        m_path->hide();
        Q_EMIT deviceChosen(QString());
        break;
    case Entry::Device:
        m_path->hide();
        Q_EMIT deviceChosen(m_devices->itemData(index, kPathRole).toString());
        break;
    case Entry::TypePath:
        m_path->show();
        m_path->setFocus();
        adjustSize();
        break;
    }
}

void PortSelectFrame::showEvent(QShowEvent* e) {
    QGroupBox::showEvent(e);
    Q_EMIT opened();
}

void PortSelectFrame::paintEvent(QPaintEvent*) {
    // The platform's group box, set in from a border round the whole panel, title
    // included, so that it reads as a panel lying over the chart.
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.rect = rect().adjusted(kInset, kInset, -kInset, -kInset);
    // Some styles place the title by the widget, not by the rectangle given: it is
    // drawn here, set in like the rest.
    const QRect label =
        style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    option.subControls &= ~QStyle::SC_GroupBoxLabel;
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
    painter.drawItemText(
        label.translated(std::max(0, 2 * kInset - label.left()), std::max(0, kInset - label.top())),
        Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), title(), QPalette::WindowText);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Clicks on the panel stay with it: nothing under it is picked.
void PortSelectFrame::mousePressEvent(QMouseEvent* e) {
    QGroupBox::mousePressEvent(e);
    e->accept();
}
void PortSelectFrame::mouseReleaseEvent(QMouseEvent* e) {
    QGroupBox::mouseReleaseEvent(e);
    e->accept();
}
void PortSelectFrame::mouseMoveEvent(QMouseEvent* e) {
    QGroupBox::mouseMoveEvent(e);
    e->accept();
}

} // namespace kv
