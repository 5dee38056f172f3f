// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/delay_timer.h"

#include "base/errors.h"
#include "link/pause_timer.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <limits>

#if defined(Q_OS_WIN)
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

namespace kv {
namespace {

using Clock = PauseTimer::Clock;

// The last stretch of a pause is slept without the event loop. A thread woken a moment
// ago wakes again far sooner than one that has been asleep for milliseconds (the idle
// CPU has not gone deep, or a virtual one is still polling), so two wakes, the second
// one short, end nearer the target than one. The interface waits at most this long.
constexpr std::chrono::microseconds kBlockingTail{200};

// The event loop's own timers are kept in whole milliseconds, which would overshoot a
// 5 ms pause by up to one. The system's timer wakes the same loop at the exact moment.
void runLoopUntilFired(PauseTimer& timer) {
    QEventLoop loop;
#if defined(Q_OS_WIN)
    QWinEventNotifier notifier(reinterpret_cast<Qt::HANDLE>(timer.waitable()));
    QObject::connect(&notifier, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
#else
    QSocketNotifier notifier(static_cast<qintptr>(timer.waitable()), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
#endif
    loop.exec();
}

// Without anything to watch: the loop's precise timer for all but the last two
// milliseconds.
void runLoopUntilNear(Clock::time_point target) {
    using namespace std::chrono;
    const auto early = duration_cast<milliseconds>(target - Clock::now()) - milliseconds(2);
    if (early > milliseconds(0)) {
        QEventLoop loop;
        QTimer::singleShot(early, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QCoreApplication::processEvents();
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
    PauseTimer timer;
    if (timer.waitable() == PauseTimer::kNone || !timer.set(target - kBlockingTail))
        runLoopUntilNear(target);
    else if (Clock::now() < target - kBlockingTail)
        runLoopUntilFired(timer);
    // An event handler inside the loop may itself have waited past the target; the
    // sleep never returns early whatever woke the loop.
    timer.sleepUntil(target);
}

} // namespace kv
