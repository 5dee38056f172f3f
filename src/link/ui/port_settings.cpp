// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/port_settings.h"

#include "link/port_map.h"

#include <QSettings>

namespace kv {
namespace {

const QString kCommPortKey = QStringLiteral("Properties/CommPort");

QString overrideKey(int number) {
    return QStringLiteral("Ports/") + QString::fromStdString(portName(number));
}

} // namespace

#if defined(Q_OS_WIN)
// The per-user registry, under the application's own name: the port is the text value
// CommPort of HKEY_CURRENT_USER\Software\Kestrel_Vanta_Main\Properties.
PortSettings::PortSettings()
    : m_settings(std::make_unique<QSettings>(
          QStringLiteral("HKEY_CURRENT_USER\\Software\\Kestrel_Vanta_Main"),
          QSettings::NativeFormat)) {}
#else
PortSettings::PortSettings()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("KestrelVanta"),
                                             QStringLiteral("Kestrel_Vanta_Main"))) {}
#endif

PortSettings::PortSettings(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

PortSettings::~PortSettings() = default;

int PortSettings::storedPort() const {
    if (!m_settings->contains(kCommPortKey)) return 1;
    return parseStoredPort(m_settings->value(kCommPortKey).toString().toStdString());
}

void PortSettings::storePort(int number) {
    m_settings->setValue(kCommPortKey, QString::number(number));
    m_settings->sync();
}

std::string PortSettings::deviceFor(int number) const {
    const QString device = deviceOverride(number);
    return device.isEmpty() ? defaultDevice(number) : device.toStdString();
}

QString PortSettings::deviceOverride(int number) const {
    return m_settings->value(overrideKey(number)).toString().trimmed();
}

void PortSettings::setDeviceOverride(int number, const QString& device) {
    if (device.isEmpty())
        m_settings->remove(overrideKey(number));
    else
        m_settings->setValue(overrideKey(number), device);
    m_settings->sync();
}

QString PortSettings::lastFolder() const {
    return m_settings->value(QStringLiteral("Files/LastFolder")).toString();
}

void PortSettings::setLastFolder(const QString& folder) {
    m_settings->setValue(QStringLiteral("Files/LastFolder"), folder);
    m_settings->sync();
}

QString PortSettings::location() const {
    return m_settings->fileName();
}

} // namespace kv
