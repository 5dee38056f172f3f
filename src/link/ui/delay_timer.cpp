// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/delay_timer.h"

#include "base/errors.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <limits>
#include <thread>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

#if defined(Q_OS_LINUX)
// The last stretch of a pause is slept without the event loop. A thread woken a moment
// ago wakes again far sooner than one that has been asleep for milliseconds (the idle
// CPU has not gone deep, or a virtual one is still polling), so two wakes, the second
// one short, end nearer the target than one. The interface waits at most this long.
constexpr std::chrono::microseconds kBlockingTail{200};

bool arm(int fd, Clock::time_point at) {
    const auto since = at.time_since_epoch();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(since);
    itimerspec expiry{};
    expiry.it_value.tv_sec = static_cast<time_t>(secs.count());
    expiry.it_value.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since - secs).count());
    std::uint64_t expirations = 0;
    while (::read(fd, &expirations, sizeof expirations) > 0) {
    }
    return ::timerfd_settime(fd, TFD_TIMER_ABSTIME, &expiry, nullptr) == 0;
}

// The event loop's own timers are kept in whole milliseconds, which would overshoot a
// 5 ms pause by up to one. A timer descriptor wakes the same loop at the exact moment.
bool waitOnTimerFd(Clock::time_point target) {
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) return false;
    if (Clock::now() < target - kBlockingTail) {
        if (!arm(fd, target - kBlockingTail)) {
            ::close(fd);
            return false;
        }
        QEventLoop loop;
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Without a slack of its own, unlike a sleep, the descriptor ends the tail exactly.
    if (Clock::now() < target && arm(fd, target)) {
        pollfd pfd{fd, POLLIN, 0};
        while (::poll(&pfd, 1, -1) < 0 && errno == EINTR) {
        }
    }
    ::close(fd);
    return true;
}
#endif

// Elsewhere: the loop's precise timer for all but the last two milliseconds, then a
// sleep of at most that long.
void waitOnLoopTimer(Clock::time_point target) {
    using namespace std::chrono;
    const auto early = duration_cast<milliseconds>(target - Clock::now()) - milliseconds(2);
    if (early > milliseconds(0)) {
        QEventLoop loop;
        QTimer::singleShot(early, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QCoreApplication::processEvents();
    std::this_thread::sleep_until(target);
}

} // namespace

void DelayTimer(std::int32_t ms) {
    if (static_cast<std::int64_t>(ms) * 1000 > std::numeric_limits<std::int32_t>::max())
        throw overflowError();
    const auto target = Clock::now() + std::chrono::milliseconds(ms);
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
#if defined(Q_OS_LINUX)
    if (waitOnTimerFd(target)) {
        // An event handler inside the loop may itself have waited past the target;
        // never return early whatever woke the loop.
        if (Clock::now() < target) std::this_thread::sleep_until(target);
        return;
    }
#endif
    waitOnLoopTimer(target);
}

} // namespace kv
