// SPDX-License-Identifier: GPL-3.0-or-later
// The protocol through the real serial adapter against the emulator on a
// pseudo-terminal, with the pauses read back from the emulator's byte log.
#include "link/protocol.h"
#include "link/ui/qt_link_host.h"
#include "scripted_module.h"
#include "sim_process.h"

#include <QCoreApplication>
#include <chrono>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kImage =
    "0b0e12161a1e22262a2e32363a3e4246484c5054585c6064686c7074787c80841c1c0002140839";

Bytes imageBytes() {
    const QByteArray b = QByteArray::fromHex(kImage);
    return {b.begin(), b.end()};
}

std::string hexOf(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()))
        .toHex()
        .toStdString();
}

struct SimLink : ::testing::Test {
    void start(QStringList args = {}) {
        args << QStringLiteral("--image") << QString::fromLatin1(kImage);
        sim = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim->started());
    }

    // For each byte the tuner sent after a reply: the time since the module's last byte
    // before it. The module logs a byte when it reads it, which a busy machine may
    // delay but never advance, so only gaps that start at a byte the module sent are
    // lower bounds that hold. The data byte of a write follows its command, not a reply:
    // its gap is counted from the reply before the command and spans two pauses.
    struct Gap {
        std::uint8_t byte;
        bool writeData;
        double sinceReplyMs;
    };
    [[nodiscard]] std::vector<Gap> gaps() const {
        std::vector<Gap> out;
        long long lastTx = -1, txBeforeCommand = -1;
        int operands = 0; // bytes still to come after a command: 2 for 0x14, 1 for 0x16
        std::uint8_t command = 0;
        for (const auto& e : sim->log()) {
            if (!e.received) {
                lastTx = e.us;
                continue;
            }
            const bool writeData = operands > 0 && command == 0x16;
            const long long from = writeData ? txBeforeCommand : lastTx;
            if (from >= 0) out.push_back({e.byte, writeData, (e.us - from) / 1000.0});
            if (operands > 0) {
                --operands;
            } else {
                command = e.byte;
                txBeforeCommand = lastTx;
                operands = command == 0x14 ? 2 : command == 0x16 ? 1 : 0;
            }
        }
        return out;
    }

    std::unique_ptr<SimProcess> sim;
    ProgramState state;
    ScriptedDialogs dialogs;
    NullProgress progress;
    SerialChannel channel{
        [this](int) { return sim ? sim->device() : std::string("/nonexistent"); }};
    QtLinkHost host{state, dialogs, channel, progress};
};

TEST_F(SimLink, IdentificationGivesTheTableType) {
    start({"--id", "V1005T EX 2.3", "--no-pace"});
    ReadFirmwareID(host);
    EXPECT_TRUE(state.CommOKFlag);
    EXPECT_EQ(state.FirmwareID, "V1005T EX 2.3");
    EXPECT_EQ(state.TableType, "TEX");
    EXPECT_FALSE(channel.isOpen());
}

TEST_F(SimLink, FullReadMatchesTheModuleWithTheRequiredPauses) {
    start();
    ReadEEPROMData(host);
    ASSERT_TRUE(state.CommOKFlag);
    EXPECT_EQ(hexOf({state.EEPROMBuffer.begin(), state.EEPROMBuffer.end()}), kImage);
    EXPECT_FALSE(channel.isOpen());
    const auto g = gaps();
    ASSERT_EQ(g.size(), 2u + 39u);
    for (const auto& gap : g)
        EXPECT_GE(gap.sinceReplyMs, 5.0) << int(gap.byte);
    // Between two reads both the exchange's pause and the block's have run.
    for (std::size_t i = 3; i < g.size(); ++i)
        EXPECT_GE(g[i].sinceReplyMs, 10.0) << i;
}

TEST_F(SimLink, WriteAndVerifyProgramTheModuleWithTheRequiredPauses) {
    start();
    Bytes image = imageBytes();
    for (auto& b : image)
        b = static_cast<std::uint8_t>(b + 1);
    std::copy(image.begin(), image.end(), state.EEPROMBuffer.begin());
    WriteEEPROMData(host);
    EXPECT_TRUE(state.CommOKFlag);
    EXPECT_EQ(state.VerifyErrorCount, 0);
    int writes = 0;
    for (const auto& gap : gaps()) {
        writes += gap.writeData ? 1 : 0;
        EXPECT_GE(gap.sinceReplyMs, gap.writeData ? 10.0 : 5.0) << int(gap.byte);
    }
    EXPECT_EQ(writes, 39);
    EXPECT_EQ(sim->stop(), hexOf(image));
}

// Faults the scripted module tests in full; here one pass through the real adapter.
TEST_F(SimLink, FaultyModulesNeverSucceedAndEndWithinTheDeadline) {
    const struct {
        const char* fault;
        const char* error;
    } cases[] = {{"no-reply", kTimeout},
                 {"no-terminator", kTimeout},
                 {"delay=1500", kTimeout},
                 {"no-echo", "Firmware ID - no command echo."},
                 {"garbage", ""}};
    for (const auto& c : cases) {
        start({"--fault", c.fault, "--id", "ABC", "--no-pace"});
        dialogs.expectError(c.error, Button::Abort);
        const auto t0 = Clock::now();
        ReadFirmwareID(host);
        EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2500)) << c.fault;
        EXPECT_FALSE(state.CommOKFlag) << c.fault;
        EXPECT_FALSE(channel.isOpen()) << c.fault;
        EXPECT_TRUE(dialogs.done()) << c.fault;
        sim.reset();
    }
}

TEST_F(SimLink, ModuleThatDisappearsEndsTheExchangeWithAMessage) {
    start({"--no-pace"});
    channel.setPort(1);
    channel.open();
    sim->kill();
    dialogs.expectError("", Button::Abort);
    const auto t0 = Clock::now();
    ReadFirmwareID(host);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2500));
    EXPECT_FALSE(state.CommOKFlag);
    EXPECT_FALSE(channel.isOpen());
}

} // namespace
} // namespace kv::test
