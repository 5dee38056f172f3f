// SPDX-License-Identifier: GPL-3.0-or-later
// The pause on a POSIX system without a timer descriptor (macOS, the BSDs; on Linux when
// the build asks for the portable side). There is nothing for an event loop to watch, so
// the loop wakes itself near the moment and the rest is slept here.
#include "link/pause_timer.h"

#include <cerrno>
#include <sched.h>
#include <time.h>

namespace kv {
namespace {

// A sleep may end this much late (Linux's default timer slack is 50 us, and other systems
// coalesce wake-ups too), so it stops short of the moment by as much and yields the
// processor for the rest: at most this long, once per pause.
constexpr std::chrono::microseconds kSleepSlack{80};

} // namespace

PauseTimer::PauseTimer() {
    m_precise = false; // the loop and the sleep both overshoot; the tail is yielded
}
PauseTimer::~PauseTimer() = default;

bool PauseTimer::set(Clock::time_point) {
    return false;
}

void PauseTimer::sleepUntil(Clock::time_point at) {
    using namespace std::chrono;
    for (auto left = at - kSleepSlack - Clock::now(); left > Clock::duration::zero();
         left = at - kSleepSlack - Clock::now()) {
        const auto ns = duration_cast<nanoseconds>(left).count();
        timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        if (::nanosleep(&ts, nullptr) != 0 && errno != EINTR) break;
    }
    while (Clock::now() < at)
        ::sched_yield();
}

} // namespace kv
