// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace kv {

// Pauses at least `ms` milliseconds while the event loop keeps running, and wakes
// within a small fraction of a millisecond after: the protocol's pacing depends on it.
// Nothing spins (but where the system has no precise timer, the last tenth of a
// millisecond is yielded away). A pause whose microsecond count does not fit in 32 bits is the
// overflow error; zero or less only lets pending events run.
void DelayTimer(std::int32_t ms);

} // namespace kv
