// SPDX-License-Identifier: GPL-3.0-or-later
// Systems that expose no USB adapter's latency timer: nothing to say about one.
#include "link/usb_latency.h"

namespace kv {

std::optional<int> usbLatencyTimerMs(const std::string&, const std::string&) {
    return std::nullopt;
}

} // namespace kv
