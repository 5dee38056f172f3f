// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/link_controller.h"

#include "link/line_errors.h"
#include "link/ui/port_select_frame.h"

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

void LinkController::showDevice() {
    if (m_frame)
        m_frame->setDevice(QString::fromStdString(m_settings->deviceFor(m_state.CommPort)));
}

} // namespace kv
