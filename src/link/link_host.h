// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "link/channel.h"
#include "table/program_state.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace kv {

// The frame that shows a block transfer's progress (0..100).
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setValue(int percent) = 0;
    // Shows the frame and draws it at once, so the caption is up before the transfer.
    virtual void showNow() = 0;
    virtual void hide() = 0;
};

// Everything the module exchanges need from the program they run in: the desktop
// window, the command-line companion and the tests each provide one.
class LinkHost {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~LinkHost() = default;

    [[nodiscard]] virtual ProgramState& state() = 0;
    [[nodiscard]] virtual Dialogs& dialogs() = 0;
    [[nodiscard]] virtual Channel& channel() = 0;
    [[nodiscard]] virtual ProgressDisplay& progress() = 0;

    // Lets the user interface handle its pending events once.
    virtual void processEvents() = 0;
    // Pauses at least `ms` milliseconds, the user interface staying responsive.
    virtual void DelayTimer(std::int32_t ms) = 0;
    [[nodiscard]] virtual Clock::time_point now() = 0;
    // Sleeps until more bytes may be waiting on the channel or `deadline` has passed;
    // with `yield` the user interface runs meanwhile, without it nothing else runs.
    // May return early; callers check the channel and the clock again.
    virtual void waitForInput(Clock::time_point deadline, bool yield) = 0;
};

} // namespace kv
