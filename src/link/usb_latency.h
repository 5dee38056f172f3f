// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>

namespace kv {

// The latency timer, in ms, of the USB serial adapter behind `device` (a path such as
// /dev/ttyUSB0, or a link to one), as the system exposes it under
// <sysRoot>/bus/usb-serial/devices/<tty>/latency_timer; nullopt when it exposes none, as
// every system but Linux.
[[nodiscard]] std::optional<int> usbLatencyTimerMs(const std::string& device,
                                                   const std::string& sysRoot = "/sys");

// What the port frame says about that timer: empty when there is none or it is at 1 ms,
// otherwise a warning that every reply may wait that long, and where the fix is told.
[[nodiscard]] std::string latencyNote(const std::string& device,
                                      const std::string& sysRoot = "/sys");

} // namespace kv
