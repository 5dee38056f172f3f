// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"

#include "base/step_runner.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace kv {
namespace {

constexpr std::uint8_t kIdRequest = 0x10;
constexpr std::uint8_t kSetAddress = 0x14;
constexpr std::uint8_t kReadByte = 0x15;
constexpr std::uint8_t kWriteByte = 0x16;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kTerminator = 0x0D;

enum class Wait { Complete, TimedOut, Aborted };

// One routine's traffic. Every channel operation is a step of its own, so that Retry
// repeats exactly that operation and Ignore goes on with the next.
class Exchange {
public:
    explicit Exchange(LinkHost& host)
        : m_host(host), m_state(host.state()), m_channel(host.channel()) {}

    // False once the user answered Abort; the caller then leaves through abort().
    template <class Op> bool op(Op&& operation) {
        const StepOutcome outcome = runStep(m_host.dialogs(), std::forward<Op>(operation));
        if (outcome == StepOutcome::Ignored) m_ignored = true;
        return outcome != StepOutcome::Aborted;
    }

    bool openIfClosed() {
        return op([this] {
            if (m_channel.isOpen()) return;
            m_channel.setPort(m_state.CommPort);
            m_channel.open();
        });
    }
    bool clearInput() {
        return op([this] { m_channel.clearInput(); });
    }
    bool send(std::uint8_t byte) {
        return op([this, byte] { m_channel.send({&byte, 1}); });
    }
    // The deadline runs from the moment the request's last byte was handed over.
    bool sendRequest(std::uint8_t byte) {
        const bool ok = send(byte);
        m_deadline = m_host.now() + kReplyDeadline;
        return ok;
    }
    bool take(std::uint8_t& byte) {
        byte = 0;
        return op([this, &byte] { byte = m_channel.takeByte(); });
    }

    Wait waitFor(std::size_t count, bool yield) {
        bool complete = false;
        const bool ok = op([&] {
            while (m_channel.bytesWaiting() < count && m_host.now() < m_deadline)
                m_host.waitForInput(m_deadline, yield);
            complete = m_channel.bytesWaiting() >= count;
        });
        if (!ok) return Wait::Aborted;
        return complete ? Wait::Complete : Wait::TimedOut;
    }

    // A failure the routine reports itself. The port is closed first; whatever the
    // answer (Retry shows the same prompt again), the routine then ends.
    void report(const char* description) {
        closeIfOpen();
        (void)runStep(m_host.dialogs(), [description] {
            throw KvError(kErrCommOrOpen, kCommErrorSource, description);
        });
        closeIfOpen();
    }

    void abort() {
        m_state.CommOKFlag = false;
        closeIfOpen();
    }
    void closeIfOpen() {
        if (m_channel.isOpen()) m_channel.close();
    }
    void pause() { m_host.DelayTimer(kPauseMs); }

    // An ignored channel failure lets the routine run on, but never to a success.
    [[nodiscard]] bool ignored() const { return m_ignored; }
    [[nodiscard]] bool pastDeadline() { return m_host.now() >= m_deadline; }

private:
    LinkHost& m_host;
    ProgramState& m_state;
    Channel& m_channel;
    LinkHost::Clock::time_point m_deadline{};
    bool m_ignored = false;
};

bool printable(std::uint8_t b) {
    return b >= 0x20 && b <= 0x7F;
}

std::string upper(std::string_view s) {
    std::string u(s);
    std::transform(u.begin(), u.end(), u.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return u;
}

void startBlock(ProgressDisplay& progress, const char* caption) {
    progress.setCaption(caption);
    progress.setValue(0);
    progress.showNow();
}

void closeIfOpen(LinkHost& host) {
    if (host.channel().isOpen()) host.channel().close();
}

} // namespace

std::string tableTypeOf(std::string_view firmwareId) {
    const std::string id = upper(firmwareId);
    if (id.find("EX") == std::string::npos) return "RACE";
    const auto marker = id.find("1005T");
    return marker != std::string::npos && marker >= 1 ? "TEX" : "EX";
}

int blockProgress(int index) {
    const int percent = static_cast<int>(std::lround(index * 100.0 / 38.0));
    return std::clamp(percent, 0, 100);
}

void ReadFirmwareID(LinkHost& host) {
    ProgramState& s = host.state();
    Exchange x(host);
    s.CommOKFlag = false;
    if (!x.openIfClosed() || !x.clearInput() || !x.sendRequest(kIdRequest)) return x.abort();
    s.FirmwareID.clear();
    bool terminated = false;
    for (int position = 0; !x.pastDeadline(); ++position) {
        const Wait w = x.waitFor(1, true);
        if (w == Wait::Aborted) return x.abort();
        if (w == Wait::TimedOut) break;
        std::uint8_t b = 0;
        if (!x.take(b)) return x.abort();
        if (position == 0) {
            if (b == kTerminator) return x.report(kUnexpectedTerminatorText);
            if (b != kIdRequest && printable(b)) return x.report(kNoEchoText);
        } else if (b == kTerminator) {
            terminated = true;
            break;
        } else if (printable(b)) {
            s.FirmwareID += static_cast<char>(b);
        }
        host.processEvents();
    }
    // The terminator itself decides, not a second look at the clock: a reply that ended
    // in time is never turned into a time-out by the moment it was examined.
    if (!terminated) return x.report(kTimeoutText);
    x.pause();
    s.TableType = tableTypeOf(s.FirmwareID);
    if (!s.FirmwareID.empty() && !x.ignored()) s.CommOKFlag = true;
    x.closeIfOpen();
}

void SetEEPROMAddress(LinkHost& host, std::int32_t address) {
    ProgramState& s = host.state();
    Exchange x(host);
    s.CommOKFlag = false;
    const auto low = static_cast<std::uint8_t>(address & 0xFF);
    const auto high = static_cast<std::uint8_t>((address & 0xFF00) / 256);
    if (!x.openIfClosed() || !x.clearInput() || !x.sendRequest(kSetAddress)) return x.abort();
    Wait w = x.waitFor(1, true);
    if (w == Wait::Aborted) return x.abort();
    if (w == Wait::TimedOut) return x.report(kTimeoutText);

    if (!x.clearInput()) return x.abort();
    x.pause();
    if (!x.sendRequest(low)) return x.abort();
    w = x.waitFor(1, true);
    if (w == Wait::Aborted) return x.abort();
    if (w == Wait::TimedOut) return x.report(kTimeoutText);

    if (!x.clearInput()) return x.abort();
    x.pause();
    if (!x.sendRequest(high)) return x.abort();
    w = x.waitFor(2, true);
    if (w == Wait::Aborted) return x.abort();
    if (w == Wait::TimedOut) return x.report(kTimeoutText);

    std::uint8_t echo = 0;
    std::uint8_t ack = 0;
    if (!x.take(echo) || !x.take(ack)) return x.abort();
    const bool acknowledged = ack == kAck && !x.ignored();
    if (!x.clearInput()) return x.abort();
    x.pause();
    s.CommOKFlag = acknowledged && !x.ignored();
    x.closeIfOpen();
}

std::uint8_t ReadEEPROM(LinkHost& host) {
    ProgramState& s = host.state();
    Exchange x(host);
    s.CommOKFlag = false;
    if (!x.openIfClosed() || !x.clearInput() || !x.sendRequest(kReadByte)) {
        x.abort();
        return 0;
    }
    const Wait w = x.waitFor(2, false);
    if (w != Wait::Complete) {
        if (w == Wait::Aborted)
            x.abort();
        else
            x.report(kTimeoutText);
        return 0;
    }
    std::uint8_t echo = 0;
    std::uint8_t data = 0;
    if (!x.take(echo) || !x.take(data)) {
        x.abort();
        return 0;
    }
    x.pause();
    s.CommOKFlag = !x.ignored();
    return data;
}

void ReadEEPROMData(LinkHost& host) {
    ProgramState& s = host.state();
    ProgressDisplay& progress = host.progress();
    startBlock(progress, "Reading EEPROM");
    ClearEEPROMBuffer(s);
    SetEEPROMAddress(host, 16);
    if (!s.CommOKFlag) return progress.hide();

    s.CommOKFlag = false;
    bool complete = true;
    for (int i = 0; i < kImageSize; ++i) {
        s.EEPROMBuffer[static_cast<std::size_t>(i)] = ReadEEPROM(host);
        progress.setValue(blockProgress(i));
        host.processEvents();
        if (s.AbortRequested || !s.CommOKFlag) {
            complete = false;
            break;
        }
        host.DelayTimer(kPauseMs);
    }
    progress.hide();
    if (!complete) s.AbortRequested = false;
    s.CommOKFlag = complete;
    closeIfOpen(host);
}

int WriteEEPROMData(LinkHost& host) {
    ProgramState& s = host.state();
    ProgressDisplay& progress = host.progress();
    startBlock(progress, "Programming EEPROM");
    SetEEPROMAddress(host, 16);
    int sent = 0;
    if (!s.CommOKFlag) {
        progress.hide();
        return sent;
    }

    s.CommOKFlag = false;
    Exchange x(host);
    const auto fail = [&] {
        x.abort();
        progress.hide();
        return sent;
    };
    if (!x.openIfClosed()) return fail();
    for (int i = 0; i < kImageSize; ++i) {
        if (!x.clearInput() || !x.send(kWriteByte)) return fail();
        x.pause();
        // Counted from the attempt: a byte whose sending failed may still have gone out.
        ++sent;
        if (!x.sendRequest(s.EEPROMBuffer[static_cast<std::size_t>(i)])) return fail();
        const Wait w = x.waitFor(3, true);
        if (w == Wait::Aborted) return fail();
        if (w == Wait::TimedOut) {
            x.report(kTimeoutText);
            progress.hide();
            return sent;
        }
        std::uint8_t echoCommand = 0;
        std::uint8_t echoData = 0;
        std::uint8_t ack = 0;
        if (!x.take(echoCommand) || !x.take(echoData) || !x.take(ack)) return fail();
        if (ack != kAck || x.ignored()) return fail();
        x.pause();
        progress.setValue(blockProgress(i));
    }
    progress.hide();
    VerifyEEPROM(host);
    s.CommOKFlag = true;
    closeIfOpen(host);
    return sent;
}

void VerifyEEPROM(LinkHost& host) {
    ProgramState& s = host.state();
    ProgressDisplay& progress = host.progress();
    s.VerifyErrorCount = 0;
    startBlock(progress, "Verifying EEPROM");
    SetEEPROMAddress(host, 16);
    // Without the address the read-back would compare whatever the pointer meets, so a
    // refused address counts as a verification cut short rather than one that passed.
    bool complete = s.CommOKFlag;
    for (int i = 0; complete && i < kImageSize; ++i) {
        const std::uint8_t b = ReadEEPROM(host);
        if (s.EEPROMBuffer[static_cast<std::size_t>(i)] != b) ++s.VerifyErrorCount;
        progress.setValue(blockProgress(i));
        host.processEvents();
        if (s.AbortRequested || !s.CommOKFlag) complete = false;
    }
    progress.hide();
    if (!complete) {
        ++s.VerifyErrorCount;
        s.AbortRequested = false;
    }
    closeIfOpen(host);
}

} // namespace kv
