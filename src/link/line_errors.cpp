// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/line_errors.h"

namespace kv {

const char* lineErrorText(int eventCode) {
    switch (eventCode) {
    case comm_event::Framing:
        return "Framing error.";
    case comm_event::Overrun:
        return "Port hardware overrun.";
    case comm_event::RxOver:
        return "Receive buffer overflow.";
    case comm_event::RxParity:
        return "Parity error.";
    case comm_event::TxFull:
        return "Transmit buffer full.";
    case comm_event::Dcb:
        return "Device control block error.";
    default:
        return nullptr;
    }
}

void handleCommEvent(ProgramState& state, Channel& channel, Dialogs& dialogs, int eventCode) {
    const char* text = lineErrorText(eventCode);
    if (text == nullptr) return;
    if (state.CommErrorCount < INT16_MAX) ++state.CommErrorCount;
    if (state.CommErrorCount > 2 && channel.isOpen()) channel.close();
    const Button answer =
        dialogs.message(text, "Communications Error", Buttons::RetryCancel, Icon::Critical);
    if (!channel.isOpen()) return;
    if (answer == Button::Retry) {
        // The transfer under way will see the gap as a time-out; the handler itself has
        // nothing more to report if the port went away while the box was up.
        try {
            channel.clearInput();
        } catch (const KvError&) {
        }
    } else {
        channel.close();
    }
}

} // namespace kv
