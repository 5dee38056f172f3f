// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/usb_latency.h"

#include <string>

namespace kv {

std::string latencyNote(const std::string& device, const std::string& sysRoot) {
    const auto ms = usbLatencyTimerMs(device, sysRoot);
    if (!ms || *ms <= 1) return {};
    return "USB latency timer " + std::to_string(*ms) +
           " ms: transfers will be slow. Set it to 1 ms (see docs/module-link.md).";
}

} // namespace kv
