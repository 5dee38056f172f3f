// SPDX-License-Identifier: GPL-3.0-or-later
// The system's pause timer, whichever side of it the build took: Linux's, the portable
// POSIX one (built on Linux too, as its own test binary) or Windows' (run under Wine).
#include "link/pause_timer.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <poll.h>
#endif

namespace kv {
namespace {

using Clock = PauseTimer::Clock;
using std::chrono::microseconds;

// Waits as the event loop does: until what the timer offers turns ready.
bool waitFired(const PauseTimer& timer, int timeoutMs) {
#if defined(_WIN32)
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(timer.waitable()),
                                 static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
#else
    pollfd pfd{static_cast<int>(timer.waitable()), POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) == 1;
#endif
}

TEST(PauseTimer, SleepsToTheMomentNeverBeforeIt) {
    PauseTimer timer;
    for (const auto wait : {microseconds(-500), microseconds(0), microseconds(300),
                            microseconds(1000), microseconds(5000)}) {
        const auto at = Clock::now() + wait;
        timer.sleepUntil(at);
        EXPECT_GE(Clock::now(), at) << wait.count() << " us";
    }
}

TEST(PauseTimer, WhatTheLoopWatchesFiresAtTheLatestMomentSet) {
    PauseTimer timer;
    if (timer.waitable() == PauseTimer::kNone) {
        EXPECT_FALSE(timer.set(Clock::now())) << "nothing to watch, so nothing can be set";
        return;
    }
    // Set once, then again later before it fired: only the later moment counts.
    const auto early = Clock::now() + microseconds(1000);
    ASSERT_TRUE(timer.set(early));
    const auto late = Clock::now() + microseconds(8000);
    ASSERT_TRUE(timer.set(late));
    ASSERT_TRUE(waitFired(timer, 1000));
    // A coarse timer fires short of its moment on purpose; the sleep finishes the pause.
    if (timer.precise()) {
        EXPECT_GE(Clock::now(), late);
    }
    timer.sleepUntil(late);
    EXPECT_GE(Clock::now(), late);
    // Fired and set anew: not ready until the new moment.
    ASSERT_TRUE(timer.set(Clock::now() + microseconds(200000)));
    EXPECT_FALSE(waitFired(timer, 20));
    ASSERT_TRUE(timer.set(Clock::now()));
    EXPECT_TRUE(waitFired(timer, 1000)) << "a moment already past fires at once";
}

// Not a check of speed (the bench is): the overshoot of 5 ms pauses taken the way the
// program takes them, printed for the record, on this system or under Wine.
TEST(PauseTimer, ReportsTheOvershootOfFiveMillisecondPauses) {
    std::vector<double> over;
    for (int i = 0; i < 100; ++i) {
        PauseTimer timer;
        const auto start = Clock::now();
        const auto target = start + microseconds(5000);
        if (timer.set(target - microseconds(200))) {
            ASSERT_TRUE(waitFired(timer, 1000));
        }
        timer.sleepUntil(target);
        over.push_back(std::chrono::duration<double, std::milli>(Clock::now() - target).count());
    }
    std::sort(over.begin(), over.end());
    std::printf("pause_timer overshoot_median_ms=%.3f p90_ms=%.3f precise=%d\n",
                over[over.size() / 2], over[over.size() * 9 / 10],
                PauseTimer().precise() ? 1 : 0);
    EXPECT_GE(over.front(), 0.0);
}

} // namespace
} // namespace kv
