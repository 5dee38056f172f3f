// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "link/channel.h"
#include "table/program_state.h"

namespace kv {

// The description of a line-error event, or nullptr for the events that are ignored
// (characters received, transmit buffer empty, modem lines, break, time-outs).
[[nodiscard]] const char* lineErrorText(int eventCode);

// The channel's event handler: counts line errors since the settings were applied,
// closes the port from the third one on, and asks Retry (keep the port, drop what was
// received) or Cancel (close the port) under "Communications Error".
void handleCommEvent(ProgramState& state, Channel& channel, Dialogs& dialogs, int eventCode);

} // namespace kv
