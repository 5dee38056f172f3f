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
    Bytes b(text.size() + 2, 0x10);
    std::copy(text.begin(), text.end(), b.begin() + 1);
    b.back() = 0x0D;
    return b;
}

// The reply is read without a prompt, or goes to the error prompt, where Retry shows it
// again and Ignore ends the routine; either within the deadline. A faulty reply keeps
// the table type and what was read of the identification.
TEST(FirmwareId, RepliesAreReadOrGoToTheErrorPromptWithinTheDeadline) {
    struct Case {
        Bytes reply; // or else the emulator's fault, its identification "AB"
        std::string id, type;
        const char* status = "ok";
        std::chrono::milliseconds gap{}; // between the reply's bytes
        const char* fault = nullptr;
        std::string error{}; // shown at the prompt
    };
    const std::string longId(300, 'Q'); // more than the receive buffer holds
    const Case cases[] = {
        {idReply("1005T RACE"), "1005T RACE", "RACE"},
        {idReply("module ex"), "module ex", "EX"},
        {idReply("v1005t ex"), "v1005t ex", "TEX", "ok", 40ms}, // trickled byte by byte
        {{0x10, 0x0D}, "", "RACE", "tidy"},                     // empty: fails silently
        {{0x00, 'X', 'Y', 0x0D}, "XY", "RACE"},                 // another first byte skipped
        {{0x10, 'A', 0x01, 0x1F, 0x80, 0xFF, 0x7F, 0x10, 'B', 0x0D}, "A\177B", "RACE"},
        {idReply(longId), longId, "RACE"},
        {{0x0D, 'A', 0x0D}, "", "EX", "tidy", 0ms, nullptr, "Firmware ID - unexpected terminator."},
        {{}, "", "EX", "tidy", 0ms, "no-echo", "Firmware ID - no command echo."},
        {{}, "AB", "EX", "tidy", 0ms, "no-terminator", kTimeout},
        {{0x10, 'A', 0x0D}, "A", "EX", "tidy", 600ms, nullptr, kTimeout}, // ends past the deadline
        {Bytes(20000, 0x01), "", "EX", "tidy", 1ms, nullptr, kTimeout},   // the module never stops
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
        EXPECT_EQ(host.s.FirmwareID + " " + host.s.TableType + " " + status(host),
                  c.id + " " + c.type + " " + c.status);
        EXPECT_LT(host.now().time_since_epoch(), 2100ms);
        EXPECT_GE(host.now().time_since_epoch(), c.error == kTimeout ? 1s : 0s);
        // Read at the first try, after the one pause; an unexpected prompt fails the test.
        EXPECT_TRUE(!c.error.empty() || host.pauses == std::vector<int>{5});
    }
}

struct Link : ::testing::Test {
    void start(const char* fault = nullptr) {
        model = std::make_unique<sim::ModuleModel>("TEST", faults(fault));
        model->setImage(sampleImage());
        host.useModule(*model);
    }
    void load(const Bytes& b) { std::copy(b.begin(), b.end(), s.EEPROMBuffer.begin()); }
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
    start();
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
    start();
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
    start();
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

// A read or verification ends early at Escape (after ten bytes), at a module that stops
// half-way (its time-out answered Ignore in a read, Abort in a verification), or at a
// refused address, before any byte: a refused read empties the buffer, and a verification
// counts each difference, the byte that never came and being cut short.
TEST_F(Link, ReadAndVerificationCountWhatTheyMissAndFailWhenCutShort) {
    // Verification or read; the fault; what is left; the reads sent; the verification errors.
    const std::tuple<bool, std::string, const char*, std::size_t, int> cases[] = {
        {false, "escape", "tidy", 10, 0},         {false, "stop-after=23", "tidy", 21, 0},
        {false, "bad-address-ack", "tidy", 0, 0}, {true, "differ", "ok", 39, 2}, // first, last
        {true, "stop-after=13", "tidy", 11, 2},   {true, "bad-address-ack", "tidy", 0, 1}};
    for (const auto& [verify, fault, left, reads, errors] : cases) {
        box.emplace(); // a fresh host in the same place
        start(fault == "escape" || fault == "differ" ? nullptr : fault.c_str());
        Bytes image = verify ? sampleImage() : Bytes(39, 9); // the module holds sampleImage()
        if (fault == "differ") image.front() = image.back() = 0;
        load(image);
        if (fault == "escape")
            host.onEvents = [this](int) {
                if (sent(0x15) == 10) s.AbortRequested = true;
            };
        if (fault.starts_with("stop"))
            host.script.expectError(kTimeout, verify ? Button::Abort : Button::Ignore);
        verify ? VerifyEEPROM(host) : ReadEEPROMData(host);
        EXPECT_EQ(status(host), left) << fault;
        EXPECT_EQ(host.sent, addressThenReads(reads)) << fault;
        EXPECT_EQ(s.VerifyErrorCount, errors) << fault;
        EXPECT_TRUE(verify || reads > 0 || buffer() == Bytes(39, 0)) << fault;
    }
}

// Escape does not stop the programming, but cuts the verification short: one more error.
TEST_F(Link, WriteProgramsEveryByteAndVerifiesOrStopsAtAFault) {
    // The fault; whether it succeeds; the verification errors; the bytes written, each by
    // its own command, and so of the new image in the module afterwards; the bytes read.
    // The time-out of no-ack is answered Ignore.
    const std::tuple<std::string, bool, int, long, long> cases[] = {
        {"", true, 0, 39, 39},           {"escape", true, 1, 39, 1},
        {"no-ack=7", false, 0, 8, 0},    {"bad-ack=3", false, 0, 4, 0},
        {"bad-read=5", true, 1, 39, 39},
    };
    for (const auto& [fault, ok, verifyErrors, writes, reads] : cases) {
        box.emplace(); // a fresh host in the same place
        start(fault.empty() || fault == "escape" ? nullptr : fault.c_str());
        if (fault == "escape")
            host.onEvents = [this](int n) { s.AbortRequested = s.AbortRequested || n == 5; };
        load(Bytes(39, 0xA7));
        if (fault == "no-ack=7") host.script.expectError(kTimeout, Button::Ignore);
        WriteEEPROMData(host);
        EXPECT_EQ(status(host), ok ? "ok" : "tidy") << fault;
        Bytes expected = sampleImage();
        std::fill_n(expected.begin(), writes, 0xA7);
        EXPECT_EQ(model->image(), expected) << fault;
        EXPECT_EQ((std::vector<long>{s.VerifyErrorCount, sent(0x16), sent(0x15),
                                     static_cast<long>(host.captions.size())}),
                  (std::vector<long>{verifyErrors, writes, reads, ok ? 2 : 1}))
            << fault;
    }
}

TEST(LineErrors, EachAsksRetryOrCancelAndTheThirdClosesThePort) {
    ScriptedHost host;
    host.setEventHandler([&](int code) { handleCommEvent(host.s, host, host.script, code); });
    host.open();
    for (const int code : {1, 2, 7, 1001, 1003}) // ordinary events show nothing (or fail)
        host.fire(code);
    const std::pair<int, std::string> errors[] = {
        {1004, "Framing error."},           {1006, "Port hardware overrun."},
        {1008, "Receive buffer overflow."}, {1009, "Parity error."},
        {1010, "Transmit buffer full."},    {1011, "Device control block error."}};
    for (const auto& [code, text] : errors) {
        host.s.CommErrorCount = 0;
        host.input.emplace_back(host.clock, 1);
        host.script.expectMessage(text, Button::Retry);
        host.fire(code);
        const Prompt& p = host.script.last();
        // Retry keeps the port and clears what came in.
        EXPECT_TRUE(p.title == "Communications Error" && p.buttons == Buttons::RetryCancel &&
                    p.icon == Icon::Critical && host.isOpen() && host.bytesWaiting() == 0 &&
                    host.s.CommErrorCount == 1)
            << text;
    }
    host.script.expectMessage("Framing error.", Button::Retry)
        .expectMessage("Framing error.", Button::Retry);
    host.fire(1004);
    EXPECT_TRUE(host.isOpen());
    host.fire(1004);
    EXPECT_FALSE(host.isOpen()); // closed at the third, whatever the answer
    host.open();
    host.s.CommErrorCount = 0;
    host.script.expectMessage("Parity error.", Button::Cancel);
    host.fire(1009);
    EXPECT_TRUE(!host.isOpen() && host.script.done());
}

} // namespace
} // namespace kv::test
