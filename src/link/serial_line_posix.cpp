// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports on a POSIX system other than Linux: no portable way to ask for low latency
// or to read error counters, which the serial library does not offer either.
#include "link/serial_line.h"

#include <unistd.h>

namespace kv {

bool requestLowLatency(std::intptr_t) {
    return false;
}

bool updateLineErrorCounts(std::intptr_t, LineErrorCounts&) {
    return false;
}

bool userMayUseDevice(const std::string& device) {
    return ::access(device.c_str(), R_OK | W_OK) == 0;
}

} // namespace kv
