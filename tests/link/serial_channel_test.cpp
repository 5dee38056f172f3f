// SPDX-License-Identifier: GPL-3.0-or-later
// The serial adapter and the pause on their own: opening failures, the 256-byte
// receive buffer, line-error events, and DelayTimer.
#include "base/errors.h"
#include "link/ui/delay_timer.h"
#include "link/ui/serial_channel.h"
#include "sim_process.h"
#include "support/test_files.h"

#include "support/test_files.h"
#include <QCoreApplication>
#include <QTimer>
#include <asm/termbits.h>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

std::string openError(SerialChannel& channel) {
    try {
        channel.open();
    } catch (const KvError& e) {
        EXPECT_EQ(e.code(), kErrCommOrOpen);
        EXPECT_EQ(e.source(), "Comm Error");
        return e.description();
    }
    return "(opened)";
}

TEST(SerialChannel, MissingPortSaysSoAndNamesTheDevice) {
    SerialChannel channel([](int) { return std::string("/dev/kv-no-such-port"); });
    channel.setPort(4);
    const std::string text = openError(channel);
    EXPECT_NE(text.find("Com4"), std::string::npos) << text;
    EXPECT_NE(text.find("/dev/kv-no-such-port"), std::string::npos) << text;
    EXPECT_NE(text.find("does not exist"), std::string::npos) << text;
    EXPECT_FALSE(channel.isOpen());
}

TEST(SerialChannel, PortHeldByAnotherIsInUse) {
    test::SimProcess sim({"--no-pace"});
    ASSERT_TRUE(sim.started());
    SerialChannel first([&](int) { return sim.device(); });
    SerialChannel second([&](int) { return sim.device(); });
    first.open();
    // Low latency is asked for at every opening; a pseudo-terminal refuses, and the port
    // is open all the same.
    EXPECT_EQ(first.lowLatency(), SerialChannel::LowLatency::Refused);
    EXPECT_NE(openError(second).find("in use"), std::string::npos);
    first.close();
    second.open(); // free again once closed
    EXPECT_TRUE(second.isOpen());
}

TEST(SerialChannel, RefusedDeviceMentionsTheDialoutGroup) {
    test::TempDir dir;
    const std::string path = dir.file("ttyLocked");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const int status = test::asOrdinaryUser(
        [&] {
            SerialChannel channel([&](int) { return path; });
            const std::string text = openError(channel);
            EXPECT_NE(text.find("dialout"), std::string::npos) << text;
            return 0;
        },
        &dir);
    EXPECT_EQ(status, 0);
}

TEST(SerialChannel, OpenedLineRuns56000Baud8N1) {
    test::RawPty pty;
    SerialChannel channel([&](int) { return pty.device; });
    channel.open();
    // The settings as the terminal holds them, read from its other end's device.
    const int fd = ::open(pty.device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios2 t{};
    ASSERT_EQ(::ioctl(fd, TCGETS2, &t), 0);
    ::close(fd);
    EXPECT_EQ(t.c_ospeed, 56000u);
    EXPECT_EQ(t.c_ispeed, 56000u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u)
        << "no parity, one stop bit, no flow control";
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST(SerialChannel, ReceiveBufferKeeps256BytesAndReportsTheOverflowOnce) {
    test::RawPty pty;
    SerialChannel channel([&](int) { return pty.device; });
    std::vector<int> events;
    channel.setEventHandler([&](int code) { events.push_back(code); });
    channel.open();
    std::vector<std::uint8_t> flood(300);
    for (std::size_t i = 0; i < flood.size(); ++i)
        flood[i] = static_cast<std::uint8_t>(i);
    ASSERT_EQ(::write(pty.master, flood.data(), flood.size()), 300);
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (events.empty() && Clock::now() < deadline) {
        channel.waitForInput(Clock::now() + std::chrono::milliseconds(50), true);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(events, std::vector<int>{1008});
    ASSERT_EQ(channel.bytesWaiting(), 256u);
    EXPECT_EQ(channel.takeByte(), 0); // the oldest bytes are the ones kept
    EXPECT_EQ(channel.takeByte(), 1);
    channel.clearInput();
    EXPECT_EQ(channel.bytesWaiting(), 0u);
    EXPECT_THROW((void)channel.takeByte(), KvError);
}

TEST(SerialChannel, SentBytesLeaveAtOnceAndNullBytesArriveIntact) {
    test::RawPty pty;
    SerialChannel channel([&](int) { return pty.device; });
    channel.open();
    const std::uint8_t out[] = {0x16, 0x00, 0xFF};
    channel.send(out);
    std::uint8_t got[3] = {};
    ssize_t n = 0;
    for (int tries = 0; n < 3 && tries < 100; ++tries) {
        const ssize_t r = ::read(pty.master, got + n, static_cast<std::size_t>(3 - n));
        if (r > 0) n += r;
    }
    ASSERT_EQ(n, 3);
    EXPECT_EQ(got[1], 0x00);
    EXPECT_EQ(got[2], 0xFF);
    const std::uint8_t in[] = {0x00, 0x0D, 0x00};
    ASSERT_EQ(::write(pty.master, in, 3), 3);
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (channel.bytesWaiting() < 3 && Clock::now() < deadline)
        channel.waitForInput(deadline, false);
    ASSERT_EQ(channel.bytesWaiting(), 3u);
    EXPECT_EQ(channel.takeByte(), 0x00);
    EXPECT_EQ(channel.takeByte(), 0x0D);
    EXPECT_EQ(channel.takeByte(), 0x00);
}

TEST(DelayTimer, PausesAtLeastTheTimeAskedWhileEventsRunAndSleepsMeanwhile) {
    int fired = 0;
    timespec c0{}, c1{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c0);
    const auto start = Clock::now();
    for (int i = 0; i < 40; ++i) {
        QTimer::singleShot(0, qApp, [&] { ++fired; });
        const auto t0 = Clock::now();
        DelayTimer(5);
        EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(5));
    }
    EXPECT_EQ(fired, 40);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &c1);
    const double cpu = (c1.tv_sec - c0.tv_sec) + (c1.tv_nsec - c0.tv_nsec) / 1e9;
    EXPECT_LT(cpu, wall / 4); // it sleeps rather than spins
}

TEST(DelayTimer, OverflowingPauseIsAnError) {
    EXPECT_THROW(DelayTimer(3'000'000), KvError);
    const auto t0 = Clock::now();
    DelayTimer(0);
    DelayTimer(-5);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
}

} // namespace
} // namespace kv
