// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/delay_timer.h"

#include "app/errors.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <limits>
#include <thread>

#if defined(Q_OS_LINUX)
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

#if defined(Q_OS_LINUX)
// The event loop's own timers are kept in whole milliseconds, which would overshoot a
// 5 ms pause by up to one. A timer descriptor wakes the same loop at the exact moment.
bool waitOnTimerFd(Clock::time_point target) {
    const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) return false;
    const auto since = target.time_since_epoch();
    const auto secs = std::chrono::duration_cast<std::chrono::seconds>(since);
    itimerspec expiry{};
    expiry.it_value.tv_sec = static_cast<time_t>(secs.count());
    expiry.it_value.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since - secs).count());
    if (::timerfd_settime(fd, TFD_TIMER_ABSTIME, &expiry, nullptr) != 0) {
        ::close(fd);
        return false;
    }
    {
        QEventLoop loop;
        QSocketNotifier notifier(fd, QSocketNotifier::Read);
        QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        loop.exec();
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
