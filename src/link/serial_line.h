// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kv {

// What the serial code asks of the system about a port, beside the serial library. Each
// system has its own file; `handle` is the open port's own (a descriptor on POSIX, a
// HANDLE on Windows).

// Asks the driver to pass received bytes on at once rather than after its latency timer.
// True when that is how the port now works; false where the port or the system refuses.
[[nodiscard]] bool requestLowLatency(std::intptr_t handle);

// The line errors a port has seen, by kind: framing, hardware overrun, receive buffer
// overflow, parity. Only changes count: a kind whose number went up has seen errors.
using LineErrorCounts = std::array<unsigned, 4>;

// Brings `counts` up to date with the port's errors: the driver's own running counts on
// Linux, one more of each kind the system reports since it was last asked on Windows.
// False where the system keeps none for this port.
[[nodiscard]] bool updateLineErrorCounts(std::intptr_t handle, LineErrorCounts& counts);

// False when the user may not read and write `device` (POSIX permissions); true elsewhere
// and where the system does not say.
[[nodiscard]] bool userMayUseDevice(const std::string& device);

} // namespace kv
