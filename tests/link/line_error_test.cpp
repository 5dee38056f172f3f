// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/line_errors.h"
#include "link/protocol.h"
#include "scripted_module.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

// Records whether the port was still open when each box came up.
class PortWatchingDialogs : public ScriptedDialogs {
public:
    explicit PortWatchingDialogs(Channel& channel) : m_channel(channel) {}
    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override {
        openAtPrompt.push_back(m_channel.isOpen());
        return ScriptedDialogs::message(text, title, buttons, icon);
    }
    std::vector<bool> openAtPrompt;

private:
    Channel& m_channel;
};

struct LineErrorTest : ::testing::Test {
    LineErrorTest() {
        channel.setEventHandler(
            [this](int code) { handleCommEvent(host.state(), channel, dialogs, code); });
        channel.open();
    }
    ScriptedHost host;
    ScriptedChannel& channel = host.module();
    PortWatchingDialogs dialogs{channel};
};

TEST_F(LineErrorTest, EachErrorEventAsksRetryOrCancel) {
    const std::pair<int, std::string> events[] = {
        {1004, "Framing error."},           {1006, "Port hardware overrun."},
        {1008, "Receive buffer overflow."}, {1009, "Parity error."},
        {1010, "Transmit buffer full."},    {1011, "Device control block error."}};
    for (const auto& [code, text] : events) {
        host.state().CommErrorCount = 0;
        channel.inject({1, 2, 3});
        dialogs.expectMessage(text, Button::Retry);
        channel.fireEvent(code);
        const Prompt& p = dialogs.last();
        EXPECT_EQ(p.title, "Communications Error");
        EXPECT_EQ(p.buttons, Buttons::RetryCancel);
        EXPECT_EQ(p.icon, Icon::Critical);
        EXPECT_TRUE(channel.isOpen());
        EXPECT_EQ(channel.bytesWaiting(), 0u);
        EXPECT_EQ(host.state().CommErrorCount, 1);
    }
    dialogs.expectMessage("Parity error.", Button::Cancel);
    channel.fireEvent(1009);
    EXPECT_FALSE(channel.isOpen());
    EXPECT_TRUE(dialogs.done());
}

TEST_F(LineErrorTest, OrdinaryEventsShowNothing) {
    for (const int code : {1, 2, 3, 4, 5, 6, 7, 1001, 1002, 1003})
        channel.fireEvent(code);
    EXPECT_TRUE(dialogs.prompts().empty());
    EXPECT_EQ(host.state().CommErrorCount, 0);
    EXPECT_TRUE(channel.isOpen());
}

TEST_F(LineErrorTest, ThirdErrorClosesThePortBeforeTheMessage) {
    dialogs.expectMessage("Framing error.", Button::Retry)
        .expectMessage("Framing error.", Button::Retry)
        .expectMessage("Framing error.", Button::Retry);
    for (int i = 0; i < 3; ++i)
        channel.fireEvent(1004);
    EXPECT_EQ(dialogs.openAtPrompt, (std::vector<bool>{true, true, false}));
    EXPECT_FALSE(channel.isOpen());
    // Reopened for the next transfer, a fourth error closes it at once again.
    channel.open();
    dialogs.expectMessage("Framing error.", Button::Retry);
    channel.fireEvent(1004);
    EXPECT_FALSE(channel.isOpen());
}

TEST_F(LineErrorTest, CancelledErrorDuringATransferEndsItThroughTheErrorPrompt) {
    channel.close();
    sim::ModuleModel model("TEST");
    channel.respondWith(moduleResponder(model));
    host.onEvents = [this](int n) {
        if (n == 1) channel.fireEvent(1004);
    };
    dialogs.expectMessage("Framing error.", Button::Cancel);
    dialogs.expectError("Port is not open.", Button::Abort);
    host.useDialogs(dialogs); // the transfer's prompts are the watching ones
    SetEEPROMAddress(host, 16);
    EXPECT_FALSE(host.state().CommOKFlag);
    EXPECT_TRUE(dialogs.done());
}

} // namespace
} // namespace kv::test
