// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>

namespace kv {

// The system's one-shot timer behind the protocol's pause. Each system has its own file:
// a timer descriptor on Linux, a high-resolution waitable timer on Windows, and a sleep
// on any other POSIX system. One object serves one pause at a time.
class PauseTimer {
public:
    using Clock = std::chrono::steady_clock;
    // What an event loop can watch for the moment set: a descriptor that turns readable
    // (POSIX) or an object that becomes signalled (Windows); kNone when the system
    // offers neither, and the loop must wake itself near the moment.
    static constexpr std::intptr_t kNone = -1;

    PauseTimer();
    ~PauseTimer();
    PauseTimer(const PauseTimer&) = delete;
    PauseTimer& operator=(const PauseTimer&) = delete;

    // Makes waitable() fire at `at`, no sooner. False when the system refused.
    bool set(Clock::time_point at);
    [[nodiscard]] std::intptr_t waitable() const { return m_waitable; }
    // Blocks until `at`, never returning before it, and as little after it as the system
    // allows; it does not yield to any event loop.
    void sleepUntil(Clock::time_point at);
    // False where the system's timer is coarse and the last stretch is yielded away.
    [[nodiscard]] bool precise() const { return m_precise; }

private:
    std::intptr_t m_waitable = kNone;
    bool m_precise = true; // false: the system's coarse timer, finished off by yielding
};

} // namespace kv
