// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports on Linux: the driver's low-latency flag and its error counters.
#include "link/serial_line.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kv {

// A USB adapter may hold received bytes for its latency timer (16 ms by default) before
// passing them on. Every exchange waits for a reply, so ask the driver to pass them at
// once. Ports that have no such setting (a pseudo-terminal, say) refuse; that is fine.
bool requestLowLatency(std::intptr_t handle) {
    const int fd = static_cast<int>(handle);
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) != 0) return false;
    if (ss.flags & ASYNC_LOW_LATENCY) return true;
    ss.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &ss) == 0;
}

bool updateLineErrorCounts(std::intptr_t handle, LineErrorCounts& counts) {
    serial_icounter_struct ic{};
    if (::ioctl(static_cast<int>(handle), TIOCGICOUNT, &ic) != 0) return false;
    counts = {static_cast<unsigned>(ic.frame), static_cast<unsigned>(ic.overrun),
              static_cast<unsigned>(ic.buf_overrun), static_cast<unsigned>(ic.parity)};
    return true;
}

bool userMayUseDevice(const std::string& device) {
    return ::access(device.c_str(), R_OK | W_OK) == 0;
}

} // namespace kv
