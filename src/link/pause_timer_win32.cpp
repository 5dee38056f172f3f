// SPDX-License-Identifier: GPL-3.0-or-later
// The pause on Windows: a high-resolution waitable timer (Windows 10 1803 on). Where the
// system has none, a plain waitable timer on a 1 ms system tick, set short of the moment,
// and the processor yielded for the rest.
#include "link/pause_timer.h"

#include <windows.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace kv {
namespace {

// A plain timer fires on the first system tick after its moment.
constexpr std::chrono::microseconds kCoarseEarly{1500};

HANDLE handleOf(std::intptr_t waitable) {
    return reinterpret_cast<HANDLE>(waitable);
}

} // namespace

PauseTimer::PauseTimer() {
    HANDLE timer = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                            TIMER_ALL_ACCESS);
    if (!timer) {
        m_precise = false;
        timer = ::CreateWaitableTimerW(nullptr, TRUE, nullptr);
        if (timer) ::timeBeginPeriod(1);
    }
    if (timer) m_waitable = reinterpret_cast<std::intptr_t>(timer);
}

PauseTimer::~PauseTimer() {
    if (m_waitable == kNone) return;
    ::CloseHandle(handleOf(m_waitable));
    if (!m_precise) ::timeEndPeriod(1);
}

bool PauseTimer::set(Clock::time_point at) {
    if (m_waitable == kNone) return false;
    using namespace std::chrono;
    auto left = at - Clock::now();
    if (!m_precise) left -= kCoarseEarly;
    // Relative due times are negative, in units of 100 ns; zero fires at once.
    const auto units = duration_cast<nanoseconds>(left).count() / 100;
    LARGE_INTEGER due;
    due.QuadPart = units > 0 ? -units : 0;
    return ::SetWaitableTimer(handleOf(m_waitable), &due, 0, nullptr, nullptr, FALSE) != 0;
}

void PauseTimer::sleepUntil(Clock::time_point at) {
    if (Clock::now() >= at) return;
    if (set(at)) ::WaitForSingleObject(handleOf(m_waitable), INFINITE);
    while (Clock::now() < at)
        if (!::SwitchToThread()) ::Sleep(0);
}

} // namespace kv
