// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"
#include "scripted_module.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

Bytes sampleImage() {
    Bytes b(39);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(3 * i + 7);
    return b;
}

struct BlockTest : ::testing::Test {
    void start(const char* fault = nullptr) {
        model = std::make_unique<sim::ModuleModel>("TEST", faults(fault));
        model->setImage(sampleImage());
        host.module().respondWith(moduleResponder(*model));
    }
    void loadBuffer(const Bytes& b) { std::copy(b.begin(), b.end(), s.EEPROMBuffer.begin()); }
    [[nodiscard]] Bytes buffer() const { return {s.EEPROMBuffer.begin(), s.EEPROMBuffer.end()}; }
    [[nodiscard]] long sent(std::uint8_t b) {
        return std::count(host.module().sent().begin(), host.module().sent().end(), b);
    }

    // A block routine that failed leaves the flag down, the frame hidden, the port closed.
    void expectFailedAndTidy() {
        EXPECT_FALSE(s.CommOKFlag);
        EXPECT_FALSE(progress.visible);
        EXPECT_FALSE(host.module().isOpen());
    }

    std::unique_ptr<sim::ModuleModel> model;
    ScriptedHost host;
    ProgramState& s = host.state();
    NullProgress& progress = host.progressLog();
};

TEST_F(BlockTest, ReadFillsTheBufferFromAddressSixteen) {
    start();
    ReadEEPROMData(host);
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(buffer(), sampleImage());
    std::string expected = "14 10 00";
    for (int i = 0; i < 39; ++i)
        expected += " 15";
    EXPECT_EQ(host.sentText(), expected);
    // Three pauses in the address, then two per byte: the exchange's and the block's.
    EXPECT_EQ(std::count(host.trace().begin(), host.trace().end(), "pause 5"), 3 + 2 * 39);
    EXPECT_FALSE(host.module().isOpen());
    EXPECT_EQ(progress.captions, std::vector<std::string>{"Reading EEPROM"});
    EXPECT_FALSE(progress.visible);
    const auto& v = progress.values; // the frame's first value, then one a byte
    ASSERT_EQ(v.size(), 40u);
    EXPECT_EQ((std::vector<int>{v[0], v[1], v[2], v[3], v[4], v[38], v[39]}),
              (std::vector<int>{0, 0, 3, 5, 8, 97, 100}));
}

TEST_F(BlockTest, EscapeDuringTheReadEndsItAfterTheCurrentByte) {
    start();
    int reads = 0;
    host.onEvents = [&](int) {
        reads = static_cast<int>(sent(0x15));
        if (reads == 10) s.AbortRequested = true;
    };
    ReadEEPROMData(host);
    expectFailedAndTidy();
    EXPECT_FALSE(s.AbortRequested);
    EXPECT_EQ(reads, 10);
}

TEST_F(BlockTest, ModuleThatStopsHalfWayFailsTheRead) {
    start("stop-after=23"); // the address and twenty reads
    host.script().expectError(kTimeout, Button::Ignore);
    ReadEEPROMData(host);
    expectFailedAndTidy();
    EXPECT_EQ(s.EEPROMBuffer[20], 0);
}

TEST_F(BlockTest, RefusedAddressEndsTheReadOrVerificationBeforeAnyByte) {
    start("bad-address-ack");
    s.EEPROMBuffer.fill(9);
    ReadEEPROMData(host);
    expectFailedAndTidy();
    EXPECT_EQ(host.sentText(), "14 10 00");
    EXPECT_EQ(buffer(), Bytes(39, 0));

    loadBuffer(sampleImage()); // the module holds it, yet the check never passes
    VerifyEEPROM(host);
    EXPECT_EQ(s.VerifyErrorCount, 1);
    EXPECT_EQ(host.sentText(), "14 10 00 14 10 00");
}

TEST_F(BlockTest, WriteProgramsEveryByteAndVerifies) {
    start();
    const Bytes image(39, 0xA7);
    loadBuffer(image);
    WriteEEPROMData(host);
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(s.VerifyErrorCount, 0);
    EXPECT_EQ(model->image(), image);
    EXPECT_EQ(progress.captions,
              (std::vector<std::string>{"Programming EEPROM", "Verifying EEPROM"}));
    EXPECT_FALSE(progress.visible);
    EXPECT_FALSE(host.module().isOpen());
    // The first write exchange: a pause between command and data, one after the reply.
    const auto& t = host.trace();
    const auto first = std::find(t.begin(), t.end(), "tx 16");
    ASSERT_NE(first, t.end());
    EXPECT_EQ((std::vector<std::string>(first - 1, first + 5)),
              (std::vector<std::string>{"clear", "tx 16", "pause 5", "tx a7", "pause 5", "clear"}));
    EXPECT_EQ(host.sentText().substr(0, 20), "14 10 00 16 a7 16 a7");
}

TEST_F(BlockTest, MissingAcknowledgeAtByteSevenWithIgnoreStopsProgramming) {
    start("no-ack=7");
    loadBuffer(Bytes(39, 0x11));
    host.script().expectError(kTimeout, Button::Ignore);
    WriteEEPROMData(host);
    expectFailedAndTidy();
    const Bytes written = model->image();
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 8), Bytes(8, 0x11));
    const Bytes before = sampleImage();
    EXPECT_EQ(Bytes(written.begin() + 8, written.end()), Bytes(before.begin() + 8, before.end()));
    EXPECT_EQ(progress.captions, std::vector<std::string>{"Programming EEPROM"});
    EXPECT_TRUE(host.script().done());
}

TEST_F(BlockTest, WrongAcknowledgeStopsProgrammingWithoutMessage) {
    start("bad-ack=3");
    loadBuffer(Bytes(39, 0x22));
    WriteEEPROMData(host);
    expectFailedAndTidy();
    EXPECT_TRUE(host.script().prompts().empty());
    EXPECT_EQ(sent(0x16), 4);
}

TEST_F(BlockTest, WrongReadBackIsCountedButProgrammingSucceeds) {
    start("bad-read=5");
    loadBuffer(Bytes(39, 0x33));
    WriteEEPROMData(host);
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(s.VerifyErrorCount, 1);
}

TEST_F(BlockTest, EscapeDoesNotStopProgrammingButCutsTheVerificationShort) {
    start();
    loadBuffer(Bytes(39, 0x44));
    host.onEvents = [&](int n) {
        if (n == 5) s.AbortRequested = true;
    };
    WriteEEPROMData(host);
    EXPECT_EQ(model->image(), Bytes(39, 0x44));
    EXPECT_TRUE(s.CommOKFlag);
    EXPECT_EQ(s.VerifyErrorCount, 1); // no difference, one for being cut short
    EXPECT_FALSE(s.AbortRequested);
    // The verification read one byte only.
    EXPECT_EQ(sent(0x15), 1);
}

TEST_F(BlockTest, VerificationCountsEveryDifference) {
    start();
    Bytes expected = sampleImage();
    expected[0] ^= 1;
    expected[38] ^= 1;
    loadBuffer(expected);
    VerifyEEPROM(host);
    EXPECT_EQ(s.VerifyErrorCount, 2);
    EXPECT_FALSE(progress.visible);
    EXPECT_FALSE(host.module().isOpen());
}

TEST_F(BlockTest, VerificationTimeoutCountsAsCutShort) {
    start("stop-after=13"); // the address and ten reads
    loadBuffer(sampleImage());
    host.script().expectError(kTimeout, Button::Abort);
    VerifyEEPROM(host);
    EXPECT_EQ(s.VerifyErrorCount, 1 + (sampleImage()[10] != 0 ? 1 : 0));
    EXPECT_FALSE(host.module().isOpen());
}

} // namespace
} // namespace kv::test
