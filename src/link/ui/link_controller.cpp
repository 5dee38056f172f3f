// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/link_controller.h"

#include "link/line_errors.h"
#include "link/port_map.h"
#include "link/ui/port_select_frame.h"

#include <algorithm>

namespace kv {

LinkController::LinkController(ProgramState& state, Dialogs& dialogs, ProgressDisplay& progress,
                               std::unique_ptr<PortSettings> settings, QObject* parent)
    : QObject(parent), m_state(state), m_dialogs(dialogs),
      m_settings(settings ? std::move(settings) : std::make_unique<PortSettings>()),
      m_channel([this](int number) { return m_settings->deviceFor(number); }),
      m_host(state, dialogs, m_channel, progress) {
    m_channel.setEventHandler(
        [this](int code) { handleCommEvent(m_state, m_channel, m_dialogs, code); });
}

LinkController::~LinkController() {
    m_channel.close();
}

void LinkController::attachPortFrame(PortSelectFrame& frame) {
    m_frame = &frame;
    connect(&frame, &PortSelectFrame::portChosen, this, &LinkController::choosePort);
    connect(&frame, &PortSelectFrame::deviceChosen, this, &LinkController::chooseDevice);
    connect(&frame, &PortSelectFrame::findRequested, this, &LinkController::findModule);
    connect(&frame, &PortSelectFrame::opened, this, &LinkController::refreshDevices);
    frame.selectPort(m_state.CommPort);
    showDevice();
}

void LinkController::loadStoredPort() {
    int number = 1;
    try {
        number = m_settings->storedPort();
    } catch (const KvError& e) {
        // The prompt says where the value was read, so that it can be put right.
        throw KvError(e.code(), e.source(),
                      e.description() + "\nSettings file: " + m_settings->location().toStdString());
    }
    if (m_frame) m_frame->selectPort(number);
    choosePort(number);
}

void LinkController::applySettings() {
    closePortIfOpen();
    m_channel.applySettings();
    m_state.CommErrorCount = 0;
}

void LinkController::closePortIfOpen() {
    if (m_channel.isOpen()) m_channel.close();
}

void LinkController::choosePort(int number) {
    m_state.CommPort = static_cast<std::int16_t>(number);
    m_settings->storePort(number);
    closePortIfOpen();
    showDevice();
}

void LinkController::chooseDevice(const QString& path) {
    m_settings->setDeviceOverride(m_state.CommPort, path);
    closePortIfOpen();
    showDevice();
}

void LinkController::refreshDevices() {
    m_devices = m_deviceSource ? m_deviceSource() : std::vector<SerialDevice>{};
    showDevice();
}

void LinkController::showDevice() {
    if (!m_frame) return;
    const int port = m_state.CommPort;
    m_frame->setDevice(QString::fromStdString(m_settings->deviceFor(port)));
    // A device stored for the port is listed even where the system does not report it
    // (a pseudo-terminal, an adapter unplugged), and so is asked by Find as well.
    const QString stored = m_settings->deviceOverride(port);
    std::vector<SerialDevice> listed = m_devices;
    if (!stored.isEmpty() &&
        std::none_of(listed.begin(), listed.end(), [&](const auto& d) { return d.path == stored; }))
        listed.push_back({stored,
                          QStringLiteral("stored for ") + QString::fromStdString(portName(port)),
                          QString()});
    m_frame->setDevices(listed, QString::fromStdString(defaultDevice(port)), stored);
}

void LinkController::findModule() {
    if (!m_frame || m_searching) return;
    m_searching = true;
    m_frame->setSearching(true);
    Q_EMIT searchingChanged(true);
    // The program's own port lets go of its device first: one of those asked may be it.
    closePortIfOpen();
    std::optional<std::string> id;
    QString found;
    for (const QString& path : m_frame->listedDevices()) {
        m_frame->setStatus(QStringLiteral("Asking ") + path + QStringLiteral("..."));
        id = identifyModuleAt(path.toStdString());
        if (id) {
            found = path;
            break;
        }
    }
    m_searching = false;
    m_frame->setSearching(false);
    Q_EMIT searchingChanged(false);
    const std::string port = portName(m_state.CommPort);
    if (!id) {
        m_frame->setStatus(QStringLiteral("No module answered."));
        m_dialogs.message("No module answered on the listed devices.", "Find Module", Buttons::OK,
                          Icon::Information);
        return;
    }
    m_frame->setStatus(QStringLiteral("Module \"") + QString::fromStdString(*id) +
                       QStringLiteral("\" on ") + found);
    const Button answer =
        m_dialogs.message("Module \"" + *id + "\" answered on " + found.toStdString() +
                              ".\r\n\r\nUse this device for " + port + "?",
                          "Find Module", Buttons::YesNo, Icon::Question);
    if (answer == Button::Yes) chooseDevice(found);
}

} // namespace kv
