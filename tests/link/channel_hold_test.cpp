// SPDX-License-Identifier: GPL-3.0-or-later
// A command holds the serial device while its exchanges close and reopen the port: the
// port must still behave as closed, and the device must be let go when it should.
#include "base/errors.h"
#include "link/ui/serial_channel.h"
#include "sim_process.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using Pty = test::RawPty;

bool opens(SerialChannel& channel) {
    try {
        channel.open();
    } catch (const KvError&) {
        return false;
    }
    return true;
}

// Lets what was written on the line reach the terminal and the event loop.
void settle() {
    std::this_thread::sleep_for(milliseconds(20));
    QCoreApplication::processEvents();
}

TEST(ChannelHold, AClosedPortStaysClosedToTheProgramWhileItsDeviceIsHeld) {
    Pty pty;
    SerialChannel channel(pty.device);
    SerialChannel other(pty.device);
    {
        const SerialChannel::Hold hold(channel);
        channel.open();
        channel.close();
        EXPECT_FALSE(channel.isOpen());
        EXPECT_THROW((void)channel.bytesWaiting(), KvError);
        const std::uint8_t b = 0x15;
        EXPECT_THROW(channel.send({&b, 1}), KvError);

        // What the module sent while the port was closed is not for the next opening.
        const std::uint8_t stale[] = {0x41, 0x42};
        ASSERT_EQ(::write(pty.master, stale, 2), 2);
        settle();
        channel.open();
        settle();
        EXPECT_EQ(channel.bytesWaiting(), 0u);
        channel.send({&b, 1});
        std::uint8_t got = 0;
        for (int tries = 0; tries < 100 && ::read(pty.master, &got, 1) != 1; ++tries)
            std::this_thread::sleep_for(milliseconds(1));
        EXPECT_EQ(got, 0x15);

        channel.close();
        EXPECT_FALSE(opens(other)); // still held
    }
    EXPECT_TRUE(opens(other)); // let go with the hold
}

TEST(ChannelHold, AnotherPortOrNewSettingsLetTheHeldDeviceGo) {
    Pty first, second;
    SerialChannel channel([&](int n) { return n == 1 ? first.device : second.device; });
    const SerialChannel::Hold hold(channel);
    channel.setPort(1);
    channel.open();
    channel.close();
    channel.setPort(2);
    channel.open();
    SerialChannel onFirst(first.device);
    EXPECT_TRUE(opens(onFirst));
    EXPECT_FALSE(opens(channel)); // already open: a hold never hides that

    channel.close();
    channel.applySettings();
    SerialChannel onSecond(second.device);
    EXPECT_TRUE(opens(onSecond));
}

// The line-error handler may close the port inside a yielding wait; the exchange must
// notice at once rather than sleep to its one-second deadline.
TEST(ChannelHold, ClosingThePortEndsAYieldingWait) {
    Pty pty;
    SerialChannel channel(pty.device);
    const SerialChannel::Hold hold(channel);
    channel.open();
    QTimer::singleShot(20, &channel, [&] { channel.close(); });
    const auto t0 = Clock::now();
    channel.waitForInput(t0 + std::chrono::seconds(1), true);
    EXPECT_FALSE(channel.isOpen());
    EXPECT_LT(Clock::now() - t0, milliseconds(500));
}

} // namespace
} // namespace kv
