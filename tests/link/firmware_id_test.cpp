// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"
#include "scripted_module.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kTimeout = "RS-232 timeout. Check cable and click Abort.";

Bytes idReply(const std::string& text) {
    Bytes b;
    b.reserve(text.size() + 2);
    b.push_back(0x10);
    for (const char c : text)
        b.push_back(static_cast<std::uint8_t>(c));
    b.push_back(0x0D);
    return b;
}

struct FirmwareIdTest : ::testing::Test {
    ScriptedHost host;
    ProgramState& s = host.state();

    void answer(Bytes reply, std::chrono::milliseconds gap = 0ms) {
        host.module().respondWith([reply, gap, used = false](std::uint8_t) mutable {
            if (used) return Reply{};
            used = true;
            return Reply{reply, 0ms, gap};
        });
    }
};

TEST_F(FirmwareIdTest, CompleteReplySetsIdTypeAndFlag) {
    s.TableType = "EX";
    s.CommPort = 7;
    answer({0x10, 'A', 'B', 'C', 0x0D});
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, "ABC");
    EXPECT_EQ(s.TableType, "RACE");
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(host.module().port(), 7);
    EXPECT_EQ(host.trace(),
              (std::vector<std::string>{"open", "clear", "tx 10", "pause 5", "close"}));
    EXPECT_TRUE(host.script().prompts().empty());
}

TEST_F(FirmwareIdTest, ReplyTrickledByteByByteReadsTheSame) {
    answer(idReply("V1005T EX"), 40ms);
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, "V1005T EX");
    EXPECT_EQ(s.TableType, "TEX");
    EXPECT_TRUE(s.CommOKFlag);
}

TEST_F(FirmwareIdTest, EmptyIdentificationFailsSilently) {
    s.TableType = "TEX";
    answer({0x10, 0x0D});
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, "");
    EXPECT_EQ(s.TableType, "RACE");
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_TRUE(host.script().prompts().empty());
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(FirmwareIdTest, TerminatorFirstIsReportedAndRetryShowsItAgain) {
    answer({0x0D, 'A', 0x0D});
    host.script()
        .expectError("Firmware ID - unexpected terminator.", Button::Retry)
        .expectError("Firmware ID - unexpected terminator.", Button::Abort);
    ReadFirmwareID(host);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
    EXPECT_TRUE(host.script().done());
    EXPECT_EQ(host.script().last().title, "Error");
}

TEST_F(FirmwareIdTest, PrintableFirstByteMeansNoEcho) {
    answer({'A', 'B', 0x0D});
    host.script().expectError("Firmware ID - no command echo.", Button::Ignore);
    ReadFirmwareID(host);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
    EXPECT_TRUE(host.script().done());
}

TEST_F(FirmwareIdTest, OtherFirstByteIsSkipped) {
    answer({0x00, 'X', 'Y', 0x0D});
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, "XY");
    EXPECT_TRUE(s.CommOKFlag);
}

TEST_F(FirmwareIdTest, BytesOutsidePrintableRangeAreDropped) {
    answer({0x10, 'A', 0x01, 0x1F, 0x80, 0xFF, 0x7F, 0x10, 'B', 0x0D});
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, std::string("A\x7F"
                                        "B"));
}

TEST_F(FirmwareIdTest, IdentificationLongerThanTheReceiveBuffer) {
    const std::string id(300, 'Q');
    answer(idReply(id));
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, id);
    EXPECT_TRUE(s.CommOKFlag);
}

TEST_F(FirmwareIdTest, MissingTerminatorIsATimeoutKeepingWhatArrived) {
    s.TableType = "EX";
    answer({0x10, 'A', 'B'});
    host.script().expectError(kTimeout, Button::Ignore);
    const auto start = host.now();
    ReadFirmwareID(host);
    EXPECT_GE(host.now() - start, 1s);
    EXPECT_LT(host.now() - start, 1100ms);
    EXPECT_EQ(s.FirmwareID, "AB");
    EXPECT_EQ(s.TableType, "EX");
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(FirmwareIdTest, TerminatorAfterTheDeadlineIsTooLate) {
    host.module().respondWith([used = false](std::uint8_t) mutable {
        if (used) return Reply{};
        used = true;
        return Reply{{0x10, 'A', 0x0D}, 0ms, 600ms};
    });
    host.script().expectError(kTimeout, Button::Abort);
    ReadFirmwareID(host);
    EXPECT_EQ(s.FirmwareID, "A");
    EXPECT_FALSE(s.CommOKFlag);
}

TEST_F(FirmwareIdTest, ModuleThatNeverStopsTalkingEndsAtTheDeadline) {
    host.module().respondWith([](std::uint8_t) { return Reply{Bytes(20000, 0x01), 0ms, 1ms}; });
    host.script().expectError(kTimeout, Button::Abort);
    ReadFirmwareID(host);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(FirmwareIdTest, PortThatWillNotOpenRetriesTheOpenOnly) {
    host.module().failOpens(1);
    answer(idReply("ABC"));
    host.script().expectError("Com1 does not exist.", Button::Retry);
    ReadFirmwareID(host);
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(host.sentText(), "10");

    host.module().failOpens(1);
    host.script().expectError("Com1 does not exist.", Button::Abort);
    ReadFirmwareID(host);
    EXPECT_FALSE(s.CommOKFlag);
    EXPECT_EQ(host.sentText(), "10");
}

TEST(TableTypeOf, MarkerFromSecondPositionMeansTex) {
    EXPECT_EQ(tableTypeOf("ABC"), "RACE");
    EXPECT_EQ(tableTypeOf(""), "RACE");
    EXPECT_EQ(tableTypeOf("1005T RACE"), "RACE");
    EXPECT_EQ(tableTypeOf("MODULE-EX"), "EX");
    EXPECT_EQ(tableTypeOf("module ex"), "EX");
    EXPECT_EQ(tableTypeOf("1005T-EX"), "EX");
    EXPECT_EQ(tableTypeOf("V1005T EX"), "TEX");
    EXPECT_EQ(tableTypeOf("v1005t ex"), "TEX");
}

} // namespace
} // namespace kv::test
