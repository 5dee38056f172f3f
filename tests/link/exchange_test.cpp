// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"
#include "scripted_module.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using Trace = std::vector<std::string>;

struct ExchangeTest : ::testing::Test {
    ExchangeTest() {
        host.module().respondWith(moduleResponder(model));
        for (int i = 0; i < 256; ++i)
            model.memory()[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i ^ 0x5A);
    }
    sim::ModuleModel model{"TEST"};
    ScriptedHost host;
    ProgramState& s = host.state();
};

TEST_F(ExchangeTest, SetAddressSendsCommandLowHighWithPauses) {
    SetEEPROMAddress(host, 16);
    EXPECT_EQ(host.trace(), (Trace{"open", "clear", "tx 14", "clear", "pause 5", "tx 10", "clear",
                                   "pause 5", "tx 00", "clear", "pause 5", "close"}));
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(model.pointer(), 16);
    SetEEPROMAddress(host, 52);
    SetEEPROMAddress(host, 300);
    EXPECT_EQ(host.sentText(), "14 10 00 14 34 00 14 2c 01");
}

TEST_F(ExchangeTest, ReadTakesTheDataAfterTheEchoAndKeepsThePortOpen) {
    SetEEPROMAddress(host, 52);
    host.clearTrace();
    const std::uint8_t b = ReadEEPROM(host);
    EXPECT_EQ(b, 52 ^ 0x5A);
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_TRUE(host.module().isOpen());
    EXPECT_EQ(host.trace(), (Trace{"open", "clear", "tx 15", "pause 5"}));
    // The next read goes on at the next address without opening again.
    EXPECT_EQ(ReadEEPROM(host), 53 ^ 0x5A);
    EXPECT_EQ(host.module().opens(), 2);
}

TEST_F(ExchangeTest, ReadWaitsWithoutYielding) {
    host.module().respondWith([](std::uint8_t) { return Reply{{0x15, 0x42}, 300ms}; });
    EXPECT_EQ(ReadEEPROM(host), 0x42);
    EXPECT_GT(host.nonYieldingWaits, 0);
    EXPECT_EQ(host.yields, 1); // the pause after the exchange, nothing before
}

TEST_F(ExchangeTest, ReadWithoutItsDataInTimeGivesZeroAndClosesThePort) {
    // No data byte at all, then one a millisecond after the deadline.
    for (const Reply& r : {Reply{{0x15}}, Reply{{0x15, 0x42}, 1001ms}}) {
        host.module().respondWith([r](std::uint8_t) { return r; });
        host.script().expectError(kTimeout, r.after > 0ms ? Button::Abort : Button::Ignore);
        EXPECT_EQ(ReadEEPROM(host), 0);
        EXPECT_FALSE(s.CommOKFlag);
        EXPECT_FALSE(host.module().isOpen());
    }
}

TEST_F(ExchangeTest, RefusedAddressLeavesTheFlagFalseWithoutMessage) {
    model = sim::ModuleModel("TEST", faults("bad-address-ack"));
    s.CommOKFlag = true;
    SetEEPROMAddress(host, 16);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_TRUE(host.script().prompts().empty());
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(ExchangeTest, SilentModuleTimesOutAfterTheCommandByte) {
    host.module().respondWith([](std::uint8_t) { return Reply{}; });
    host.script().expectError(kTimeout, Button::Retry).expectError(kTimeout, Button::Abort);
    SetEEPROMAddress(host, 16);
    EXPECT_EQ(host.sentText(), "14");
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(ExchangeTest, MissingSecondReplyByteAfterTheHighByteTimesOut) {
    host.module().respondWith([](std::uint8_t b) { return Reply{{b}}; }); // echoes only
    host.script().expectError(kTimeout, Button::Ignore);
    SetEEPROMAddress(host, 16);
    EXPECT_EQ(host.sentText(), "14 10 00");
    EXPECT_FALSE(s.CommOKFlag);
}

TEST_F(ExchangeTest, PortThatGoesAwayNeverEndsInSuccess) {
    // The port goes away under the exchange (a line error answered Cancel, a resize):
    // every later operation fails. Abort ends at once; ignoring them all is no success.
    host.onEvents = [this](int) {
        if (host.module().isOpen()) host.module().close();
    };
    host.script().expectError("Port is not open.", Button::Abort);
    SetEEPROMAddress(host, 16);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_TRUE(host.script().done());
    for (int i = 0; i < 12; ++i)
        host.script().expectError("", Button::Ignore);
    SetEEPROMAddress(host, 16);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
}

} // namespace
} // namespace kv::test
