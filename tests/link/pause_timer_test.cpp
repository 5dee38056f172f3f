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

// Waits as the event loop does, until what the timer offers turns ready.
bool fired(const PauseTimer& timer, int timeoutMs) {
#if defined(_WIN32)
    const auto h = reinterpret_cast<HANDLE>(timer.waitable());
    return ::WaitForSingleObject(h, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
#else
    pollfd pfd{static_cast<int>(timer.waitable()), POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) == 1;
#endif
}

// The overshoot of 5 ms pauses taken as the program takes them is printed for the record,
// on this system or under Wine; speed is not checked here (the bench measures it).
TEST(PauseTimer, FiresAndSleepsToTheMomentNeverShortOfIt) {
    PauseTimer timer;
    std::vector<double> over;
    // First moments already past, now, and nearer than a sleep's slack or just beyond it.
    const int soon[] = {-300, 0, 40, 300};
    for (int i = 0; i < 100; ++i) {
        const auto at = Clock::now() + microseconds(i < 4 ? soon[i] : 5000);
        if (timer.set(at - microseconds(200))) fired(timer, 1000);
        timer.sleepUntil(at);
        over.push_back(std::chrono::duration<double, std::milli>(Clock::now() - at).count());
    }
    EXPECT_GE(*std::min_element(over.begin(), over.end()), 0.0) << "never short of the moment";
    std::sort(over.begin() + 4, over.end());
    std::printf("pause_timer overshoot_median_ms=%.3f p90_ms=%.3f precise=%d\n", over[52], over[90],
                timer.precise() ? 1 : 0);
    // Set anew after it fired, it is not ready until the new moment.
    EXPECT_TRUE(!timer.set(Clock::now() + microseconds(200000)) || !fired(timer, 20));
}

} // namespace
} // namespace kv
