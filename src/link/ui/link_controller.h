// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "link/link_host.h"
#include "link/ui/port_settings.h"
#include "link/ui/qt_link_host.h"
#include "link/ui/serial_channel.h"
#include "link/ui/serial_devices.h"

#include <QObject>
#include <memory>

namespace kv {

class PortSelectFrame;

// The main window's end of the module link: it owns the serial port, keeps the port
// choice and its stored setting, answers line errors, and hands the exchanges their
// host. The window calls, in this order at load:
//     attachPortFrame(frame); loadStoredPort() (through its error prompt); applySettings();
// on every resize: closePortIfOpen(), then applySettings() unless minimised;
// when closing: closePortIfOpen(). Port Setup only shows the frame, which lists the
// devices afresh each time it opens.
class LinkController : public QObject {
    Q_OBJECT

public:
    // `settings` null: the per-user store.
    LinkController(ProgramState& state, Dialogs& dialogs, ProgressDisplay& progress,
                   std::unique_ptr<PortSettings> settings = nullptr, QObject* parent = nullptr);
    ~LinkController() override;

    // Fills nothing (the frame lists its ports itself) but shows CommPort in it and
    // takes the user's choices from it.
    void attachPortFrame(PortSelectFrame& frame);
    // Reads the stored port and selects it, which counts as a choice: the setting is
    // written back and an open port closed. Throws the KvError of an invalid stored
    // value, with nothing changed, for the caller's error prompt.
    void loadStoredPort();
    // Closes an open port, applies the line settings, CommErrorCount <- 0.
    void applySettings();
    void closePortIfOpen();
    // CommPort <- number, the setting written, an open port closed.
    void choosePort(int number);
    // Port CommPort is to be `path` from now on (empty: its standard device), stored in
    // the settings; CommPort itself stays. An open port is closed.
    void chooseDevice(const QString& path);
    // Asks each listed device in turn for a module's identification and offers the
    // first that gives one for the chosen port. Sends nothing to any device otherwise.
    void findModule();
    [[nodiscard]] bool searching() const { return m_searching; }
    // The device list's source: the system's list unless a test gives another.
    void setDeviceSource(DeviceSource source) { m_deviceSource = std::move(source); }

    // For the exchanges (ReadFirmwareID(controller.host()) and the rest).
    [[nodiscard]] LinkHost& host() { return m_host; }
    [[nodiscard]] SerialChannel& channel() { return m_channel; }
    [[nodiscard]] PortSettings& settings() { return *m_settings; }

Q_SIGNALS:
    // A search by findModule began (true) or ended (false): while it runs the event loop
    // runs, and no transfer may start on a device it may be asking.
    void searchingChanged(bool searching);

private:
    void showDevice();
    void refreshDevices();

    ProgramState& m_state;
    Dialogs& m_dialogs;
    std::unique_ptr<PortSettings> m_settings;
    SerialChannel m_channel;
    QtLinkHost m_host;
    PortSelectFrame* m_frame = nullptr;
    DeviceSource m_deviceSource = systemSerialDevices;
    std::vector<SerialDevice> m_devices;
    bool m_searching = false;
};

} // namespace kv
