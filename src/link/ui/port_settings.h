// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <string>

class QSettings;

namespace kv {

// The per-user settings: the chosen port ("Properties"/"CommPort"), the optional device of
// each port ("Ports"/"Com<N>", a device path), and the folder of the file dialogs.
class PortSettings {
public:
    // The per-user store of the application "Kestrel_Vanta_Main".
    PortSettings();
    // A store in an ini file of its own (tests, trials).
    explicit PortSettings(const QString& iniFile);
    ~PortSettings();
    PortSettings(const PortSettings&) = delete;
    PortSettings& operator=(const PortSettings&) = delete;

    // The stored port, 1 when none is stored. Throws a KvError when the stored text is
    // not a whole number in 1..255.
    [[nodiscard]] int storedPort() const;
    void storePort(int number);
    // The device port `number` resolves to: its override, or the system's default.
    [[nodiscard]] std::string deviceFor(int number) const;
    // The device stored for port `number`, empty when none is.
    [[nodiscard]] QString deviceOverride(int number) const;
    void setDeviceOverride(int number, const QString& device);
    // The folder the file dialogs last showed ("Files"/"LastFolder"), empty when none is
    // stored. It shares the store so that a trial with a store of its own keeps its own.
    [[nodiscard]] QString lastFolder() const;
    void setLastFolder(const QString& folder);
    // Where the store lives (a file, or a registry path on Windows).
    [[nodiscard]] QString location() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace kv
