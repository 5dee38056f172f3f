// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"
#include "scripted_module.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

Bytes idReply(const std::string& text) {
    Bytes b(text.size() + 2, 0x10);
    std::copy(text.begin(), text.end(), b.begin() + 1);
    b.back() = 0x0D;
    return b;
}

// The module answers the first byte it receives with `reply`, `gap` between its bytes.
void answer(ScriptedHost& host, Bytes reply, std::chrono::milliseconds gap = 0ms) {
    host.module().respondWith([reply, gap, used = false](std::uint8_t) mutable {
        if (used) return Reply{};
        used = true;
        return Reply{reply, 0ms, gap};
    });
}

TEST(FirmwareId, OneCommandByteThenAPause) {
    ScriptedHost host;
    host.state().CommPort = 7;
    answer(host, idReply("ABC"));
    ReadFirmwareID(host);
    EXPECT_EQ(host.module().port(), 7);
    EXPECT_EQ(host.trace(),
              (std::vector<std::string>{"open", "clear", "tx 10", "pause 5", "close"}));
}

TEST(FirmwareId, RepliesReadWithoutAPrompt) {
    struct Case {
        Bytes reply;
        std::string id, type;
        bool ok = true;
        std::chrono::milliseconds gap{};
    };
    const std::string longId(300, 'Q'); // more than the receive buffer holds
    const Case cases[] = {
        {{0x10, 'A', 'B', 'C', 0x0D}, "ABC", "RACE"},
        {idReply("1005T RACE"), "1005T RACE", "RACE"},
        {idReply("1005T-EX"), "1005T-EX", "EX"},
        {idReply("module ex"), "module ex", "EX"},
        {idReply("V1005T EX"), "V1005T EX", "TEX"},
        {idReply("v1005t ex"), "v1005t ex", "TEX"},
        {idReply("V1005T EX"), "V1005T EX", "TEX", true, 40ms}, // trickled byte by byte
        {{0x10, 0x0D}, "", "RACE", false},                      // empty: fails silently
        {{0x00, 'X', 'Y', 0x0D}, "XY", "RACE"},                 // another first byte skipped
        {{0x10, 'A', 0x01, 0x1F, 0x80, 0xFF, 0x7F, 0x10, 'B', 0x0D},
         "A\x7F"
         "B",
         "RACE"},
        {idReply(longId), longId, "RACE"},
    };
    for (const auto& c : cases) {
        const std::string what = c.id.substr(0, 12) + (c.gap > 0ms ? " trickled" : "");
        ScriptedHost host;
        ProgramState& s = host.state();
        s.TableType = c.type == "TEX" ? "EX" : "TEX";
        answer(host, c.reply, c.gap);
        ReadFirmwareID(host);
        EXPECT_EQ(s.FirmwareID, c.id) << what;
        EXPECT_EQ(s.TableType, c.type) << what;
        EXPECT_EQ(s.CommOKFlag, c.ok) << what;
        EXPECT_TRUE(host.script().prompts().empty()) << what;
        EXPECT_FALSE(host.module().isOpen()) << what;
    }
}

TEST(FirmwareId, FaultyRepliesGoToTheErrorPromptWithinTheDeadline) {
    struct Case {
        Bytes reply;
        std::chrono::milliseconds gap;
        std::string error, idKept;
    };
    const Case cases[] = {
        {{0x0D, 'A', 0x0D}, 0ms, "Firmware ID - unexpected terminator.", ""},
        {{'A', 'B', 0x0D}, 0ms, "Firmware ID - no command echo.", ""},
        {{0x10, 'A', 'B'}, 0ms, kTimeout, "AB"},   // the terminator never comes
        {{0x10, 'A', 0x0D}, 600ms, kTimeout, "A"}, // it comes after the deadline
        {Bytes(20000, 0x01), 1ms, kTimeout, ""},   // the module never stops talking
    };
    for (const auto& c : cases) {
        ScriptedHost host;
        ProgramState& s = host.state();
        s.TableType = "EX";
        answer(host, c.reply, c.gap);
        // Retry shows the same prompt again; Abort and Ignore end the routine.
        host.script().expectError(c.error, Button::Retry).expectError(c.error, Button::Ignore);
        const auto start = host.now();
        ReadFirmwareID(host);
        EXPECT_TRUE(host.script().done()) << c.error;
        EXPECT_EQ(host.script().last().title, "Error");
        EXPECT_LT(host.now() - start, 2100ms) << c.error;
        if (c.error == kTimeout) {
            EXPECT_GE(host.now() - start, 1s);
        }
        EXPECT_EQ(s.FirmwareID, c.idKept) << c.error;
        EXPECT_EQ(s.TableType, "EX") << c.error;
        EXPECT_FALSE(s.CommOKFlag) << c.error;
        EXPECT_FALSE(host.module().isOpen()) << c.error;
    }
}

TEST(FirmwareId, IgnoredLineFailureNeverEndsInSuccess) {
    // Each failure leaves the reply intact, so only the Ignore stands between the
    // routine and a success it must not report.
    for (const char* operation : {"clear", "tx", "take"}) {
        ScriptedHost host;
        answer(host, idReply("ABC"));
        host.module().failOnce(operation);
        host.script().expectError("The line failed.", Button::Ignore);
        ReadFirmwareID(host);
        EXPECT_TRUE(host.script().done()) << operation;
        EXPECT_FALSE(host.state().CommOKFlag) << operation;
        EXPECT_FALSE(host.module().isOpen()) << operation;
    }
}

TEST(FirmwareId, PortThatWillNotOpenRetriesTheOpenOnly) {
    ScriptedHost host;
    host.module().failOpens(1);
    answer(host, idReply("ABC"));
    host.script().expectError("Com1 does not exist.", Button::Retry);
    ReadFirmwareID(host);
    EXPECT_TRUE(host.state().CommOKFlag);
    EXPECT_EQ(host.sentText(), "10");

    host.module().failOpens(1);
    host.script().expectError("Com1 does not exist.", Button::Abort);
    ReadFirmwareID(host);
    EXPECT_FALSE(host.state().CommOKFlag);
    EXPECT_EQ(host.sentText(), "10");
}

} // namespace
} // namespace kv::test
