// SPDX-License-Identifier: GPL-3.0-or-later
// The module routines against the emulator's command handling, or against replies
// written out byte by byte, on a clock the test controls.
#include "link/line_errors.h"
#include "link/protocol.h"
#include "scripted_module.h"

namespace kv::test {
namespace {

Bytes sampleImage() {
    Bytes b(39);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(3 * i + 7);
    return b;
}

Bytes idReply(const std::string& text) {
    const std::string reply = "\x10" + text + "\r";
    return {reply.begin(), reply.end()};
}

// The reply is read without a prompt, or goes to the error prompt, where Retry shows it
// again and Ignore ends the routine; either within the deadline. A faulty reply keeps
// the table type and what was read of the identification.
TEST(FirmwareId, RepliesAreReadOrGoToTheErrorPromptWithinTheDeadline) {
    struct Case {
        Bytes reply; // or else the emulator's fault, its identification "AB"
        std::string id, type;
        std::chrono::milliseconds gap{}; // between the reply's bytes
        const char* fault = nullptr;
        std::string error{}; // shown at the prompt
    };
    const std::string longId(300, 'Q'); // more than the receive buffer holds
    const Case cases[] = {
        {idReply("1005T RACE"), "1005T RACE", "RACE"},
        {idReply("module ex"), "module ex", "EX"},
        {idReply("v1005t ex"), "v1005t ex", "TEX", 40ms}, // trickled byte by byte
        {{0x10, 0x0D}, "", "RACE"},                       // empty: fails silently
        {{0x00, 'X', 'Y', 0x0D}, "XY", "RACE"},           // another first byte skipped
        {{0x10, 'A', 0x01, 0x1F, 0x80, 0xFF, 0x7F, 0x10, 'B', 0x0D}, "A\177B", "RACE"},
        {idReply(longId), longId, "RACE"},
        {{0x0D, 'A', 0x0D}, "", "EX", 0ms, nullptr, "Firmware ID - unexpected terminator."},
        {{}, "", "EX", 0ms, "no-echo", "Firmware ID - no command echo."},
        {{}, "AB", "EX", 0ms, "no-terminator", kTimeout},
        {{0x10, 'A', 0x0D}, "A", "EX", 600ms, nullptr, kTimeout}, // ends past the deadline
        {Bytes(20000, 0x01), "", "EX", 1ms, nullptr, kTimeout},   // the module never stops
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id.substr(0, 12) + " " + (c.fault ? c.fault : "") + " " + c.error);
        ScriptedHost host;
        sim::ModuleModel model("AB", faults(c.fault));
        if (c.fault)
            host.useModule(model);
        else // the reply to the first byte received
            host.respond = [&c, used = false](std::uint8_t) mutable {
                return std::exchange(used, true) ? Reply{} : Reply{c.reply, 0ms, c.gap};
            };
        // Another type before a reply read; a faulty one is to keep it.
        host.s.TableType = !c.error.empty() ? c.type : c.type == "TEX" ? "EX" : "TEX";
        if (!c.error.empty())
            host.script.expectError(c.error, Button::Retry).expectError(c.error, Button::Ignore);
        ReadFirmwareID(host);
        // An identification read leaves the flag up; none, or a faulty one, leaves all tidy.
        EXPECT_EQ(host.s.FirmwareID + " " + host.s.TableType + " " + status(host),
                  c.id + " " + c.type + (c.error.empty() && !c.id.empty() ? " ok" : " tidy"));
        EXPECT_LT(host.now().time_since_epoch(), 2100ms);
        EXPECT_GE(host.now().time_since_epoch(), c.error == kTimeout ? 1s : 0s);
        // Read at the first try, after the one pause; an unexpected prompt fails the test.
        EXPECT_TRUE(!c.error.empty() || host.pauses == std::vector<int>{5});
    }
}

// A module holding sampleImage(), without faults unless a test starts another.
struct Link : ::testing::Test {
    void SetUp() override { start(); }
    void start(const char* fault = nullptr) {
        model = std::make_unique<sim::ModuleModel>("TEST", faults(fault));
        model->setImage(sampleImage());
        host.useModule(*model);
    }
    [[nodiscard]] Bytes buffer() const { return {s.EEPROMBuffer.begin(), s.EEPROMBuffer.end()}; }
    // The address 16, then `reads` read commands.
    static Bytes addressThenReads(std::size_t reads) {
        Bytes b{0x14, 0x10, 0};
        b.resize(3 + reads, 0x15);
        return b;
    }
    [[nodiscard]] long sent(std::uint8_t b) const {
        return std::count(host.sent.begin(), host.sent.end(), b);
    }
    std::unique_ptr<sim::ModuleModel> model;
    std::optional<ScriptedHost> box{std::in_place};
    ScriptedHost& host = *box;
    ProgramState& s = host.s;
};

TEST_F(Link, AddressGoesLowByteFirstAndReadsStepOnWithThePortOpen) {
    SetEEPROMAddress(host, 52);
    EXPECT_EQ(status(host), "ok");
    EXPECT_EQ(ReadEEPROM(host), sampleImage()[36]);
    EXPECT_TRUE(host.isOpen());
    EXPECT_EQ(ReadEEPROM(host), sampleImage()[37]);
    SetEEPROMAddress(host, 300);
    EXPECT_EQ(model->pointer(), 44);
    EXPECT_EQ(host.sent, (Bytes{0x14, 0x34, 0, 0x15, 0x15, 0x14, 0x2c, 1}));
    EXPECT_EQ(host.pauses, std::vector<int>(8, 5));
}

TEST_F(Link, PortThatGoesAwayNeverEndsInSuccess) {
    // The port goes away under the exchange (a line error answered Cancel, a resize):
    // every later operation fails. Abort ends at once; ignoring them all is no success.
    host.onEvents = [this](int) { host.close(); };
    host.script.expectError("Port is not open.", Button::Abort);
    SetEEPROMAddress(host, 16);
    EXPECT_EQ(status(host), "tidy");
    for (int i = 0; i < 12; ++i)
        host.script.expectError("", Button::Ignore);
    SetEEPROMAddress(host, 16);
    EXPECT_FALSE(s.CommOKFlag);
}

TEST_F(Link, ReadFillsTheBufferFromAddressSixteen) {
    ReadEEPROMData(host);
    EXPECT_EQ(status(host), "ok");
    EXPECT_EQ(buffer(), sampleImage());
    EXPECT_EQ(host.sent, addressThenReads(39));
    // Three pauses in the address, then two per byte: the exchange's and the block's.
    EXPECT_EQ(host.pauses, std::vector<int>(3 + 2 * 39, 5));
    EXPECT_EQ(host.captions, std::vector<std::string>{"Reading EEPROM"});
    const auto& v = host.values; // the frame's first value, then one a byte
    ASSERT_EQ(v.size(), 40u);
    EXPECT_EQ((std::vector<int>{v[0], v[1], v[2], v[3], v[4], v[38], v[39]}),
              (std::vector<int>{0, 0, 3, 5, 8, 97, 100}));
}

// Every block routine over a module holding sampleImage(), whole or cut short. Escape ends
// a read after ten bytes; it does not stop the programming of a write but cuts the
// verification after it short. A module that stops half-way times out (answered Ignore, in a
// verification alone Abort); a refused address ends a read or verification before any byte,
// a refused or unanswered byte the write. A read empties the buffer first; a verification
// counts each difference, a byte that never came, and being cut short.
TEST_F(Link, BlocksAreReadWrittenAndVerifiedOrStopAtAFault) {
    // The routine: Read, Verify, or Write of 0xA7 throughout; the fault; what is left; the
    // bytes written, each by its own command, and so of the new image in the module
    // afterwards; the bytes read; the verification errors. "differ" changes the first and the
    // last byte of the buffer verified.
    const std::tuple<char, std::string, const char*, long, long, int> cases[] = {
        {'R', "escape", "tidy", 0, 10, 0},
        {'R', "stop-after=23", "tidy", 0, 21, 0},
        {'R', "bad-address-ack", "tidy", 0, 0, 0},
        {'V', "differ", "ok", 0, 39, 2},
        {'V', "stop-after=13", "tidy", 0, 11, 2},
        {'V', "bad-address-ack", "tidy", 0, 0, 1},
        {'W', "", "ok", 39, 39, 0},
        {'W', "escape", "ok", 39, 1, 1},
        {'W', "no-ack=7", "tidy", 8, 0, 0},
        {'W', "bad-ack=3", "tidy", 4, 0, 0},
        {'W', "bad-read=5", "ok", 39, 39, 1}};
    for (const auto& [routine, fault, left, writes, reads, errors] : cases) {
        SCOPED_TRACE(std::string(1, routine) + " " + fault);
        box.emplace(); // a fresh host in the same place
        start(fault.empty() || fault == "escape" || fault == "differ" ? nullptr : fault.c_str());
        Bytes image = routine == 'V' ? sampleImage() : Bytes(39, routine == 'W' ? 0xA7 : 9);
        if (fault == "differ") image.front() = image.back() = 0;
        std::copy(image.begin(), image.end(), s.EEPROMBuffer.begin());
        if (fault == "escape")
            host.onEvents = [this, write = routine == 'W'](int n) {
                s.AbortRequested = s.AbortRequested || (write ? n == 5 : sent(0x15) == 10);
            };
        if (fault.starts_with("stop") || fault.starts_with("no-ack"))
            host.script.expectError(kTimeout, routine == 'V' ? Button::Abort : Button::Ignore);
        if (routine == 'R') ReadEEPROMData(host);
        if (routine == 'V') VerifyEEPROM(host);
        if (routine == 'W') WriteEEPROMData(host);
        EXPECT_EQ(status(host), left);
        Bytes written = sampleImage();
        std::fill_n(written.begin(), writes, 0xA7);
        EXPECT_EQ(model->image(), written);
        // A write that programmed every byte goes on to verify them.
        const std::size_t captions = routine == 'W' && left == std::string("ok") ? 2 : 1;
        EXPECT_EQ(std::tuple(s.VerifyErrorCount, sent(0x16), sent(0x15), host.captions.size()),
                  std::tuple(errors, writes, reads, captions));
        // A read or verification sends the address, then its reads alone.
        EXPECT_TRUE(routine == 'W' || host.sent == addressThenReads(reads));
        EXPECT_TRUE(routine != 'R' || reads > 0 || buffer() == Bytes(39, 0));
    }
}

TEST(LineErrors, EachAsksRetryOrCancelAndTheThirdClosesThePort) {
    ScriptedHost host;
    host.setEventHandler([&](int code) { handleCommEvent(host.s, host, host.script, code); });
    host.open();
    for (const int code : {1, 2, 7, 1001, 1003}) // ordinary events show nothing (or fail)
        host.fire(code);
    // The event and its text; the answer; the errors already counted; whether the port stays
    // open, clear of what came in. Retry keeps it up to the third error in a row; Cancel
    // closes it.
    const std::tuple<int, std::string, Button, int, bool> errors[] = {
        {1004, "Framing error.", Button::Retry, 0, true},
        {1006, "Port hardware overrun.", Button::Retry, 0, true},
        {1008, "Receive buffer overflow.", Button::Retry, 0, true},
        {1009, "Parity error.", Button::Retry, 0, true},
        {1010, "Transmit buffer full.", Button::Retry, 0, true},
        {1011, "Device control block error.", Button::Retry, 0, true},
        {1004, "Framing error.", Button::Retry, 1, true},
        {1004, "Framing error.", Button::Retry, 2, false},
        {1009, "Parity error.", Button::Cancel, 0, false}};
    for (const auto& [code, text, answer, before, open] : errors) {
        if (!host.isOpen()) host.open();
        host.s.CommErrorCount = before;
        host.input.emplace_back(host.clock, 1);
        host.script.expectMessage(text, answer);
        host.fire(code);
        const Prompt& p = host.script.last();
        EXPECT_TRUE(p.title == "Communications Error" && p.buttons == Buttons::RetryCancel &&
                    p.icon == Icon::Critical && host.isOpen() == open &&
                    (!open || host.bytesWaiting() == 0) && host.s.CommErrorCount == before + 1)
            << text << " after " << before;
    }
    EXPECT_TRUE(host.script.done());
}

} // namespace
} // namespace kv::test
