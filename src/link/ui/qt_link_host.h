// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"
#include "link/ui/serial_channel.h"

namespace kv {

// The exchanges' host on the Qt event loop and a SerialChannel: used by the desktop
// window, the command-line companion and the emulator tests alike.
class QtLinkHost : public LinkHost {
public:
    QtLinkHost(ProgramState& state, Dialogs& dialogs, SerialChannel& channel,
               ProgressDisplay& progress)
        : m_state(state), m_dialogs(dialogs), m_channel(channel), m_progress(progress) {}

    ProgramState& state() override { return m_state; }
    Dialogs& dialogs() override { return m_dialogs; }
    Channel& channel() override { return m_channel; }
    ProgressDisplay& progress() override { return m_progress; }
    void processEvents() override;
    void DelayTimer(std::int32_t ms) override;
    Clock::time_point now() override { return Clock::now(); }
    void waitForInput(Clock::time_point deadline, bool yield) override {
        m_channel.waitForInput(deadline, yield);
    }

private:
    ProgramState& m_state;
    Dialogs& m_dialogs;
    SerialChannel& m_channel;
    ProgressDisplay& m_progress;
};

// Progress for a program without a window.
class NoProgress : public ProgressDisplay {
public:
    void setCaption(const std::string&) override {}
    void setValue(int) override {}
    void showNow() override {}
    void hide() override {}
};

} // namespace kv
