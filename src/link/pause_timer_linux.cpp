// SPDX-License-Identifier: GPL-3.0-or-later
// The pause on Linux: a timer descriptor on the monotonic clock, which the steady clock
// reads. Unlike a sleep it has no slack of its own, so it fires at the moment set.
#include "link/pause_timer.h"

#include <cerrno>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace kv {

PauseTimer::PauseTimer() {
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd >= 0) m_waitable = fd;
}

PauseTimer::~PauseTimer() {
    if (m_waitable != kNone) ::close(static_cast<int>(m_waitable));
}

bool PauseTimer::set(Clock::time_point at) {
    if (m_waitable == kNone) return false;
    const int fd = static_cast<int>(m_waitable);
    const auto since = at.time_since_epoch();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(since);
    itimerspec expiry{};
    expiry.it_value.tv_sec = static_cast<time_t>(secs.count());
    expiry.it_value.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since - secs).count());
    // An expiry zero would disarm the timer; a moment at the clock's start is long past.
    if (expiry.it_value.tv_sec == 0 && expiry.it_value.tv_nsec == 0) expiry.it_value.tv_nsec = 1;
    std::uint64_t expirations = 0;
    while (::read(fd, &expirations, sizeof expirations) > 0) {
    }
    return ::timerfd_settime(fd, TFD_TIMER_ABSTIME, &expiry, nullptr) == 0;
}

void PauseTimer::sleepUntil(Clock::time_point at) {
    if (Clock::now() >= at) return;
    if (set(at)) {
        pollfd pfd{static_cast<int>(m_waitable), POLLIN, 0};
        while (::poll(&pfd, 1, -1) < 0 && errno == EINTR) {
        }
    }
    // Without a descriptor, or if anything woke the poll early.
    while (Clock::now() < at) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(at - Clock::now());
        if (left.count() <= 0) break;
        timespec ts{static_cast<time_t>(left.count() / 1000000000),
                    static_cast<long>(left.count() % 1000000000)};
        ::nanosleep(&ts, nullptr);
    }
}

} // namespace kv
