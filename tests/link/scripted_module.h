// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"
#include "module_model.h"
#include "support/scripted_dialogs.h"

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kv::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
inline constexpr const char* kTimeout = "RS-232 timeout. Check cable and click Abort.";

// What the module sends back for one received byte, and how long after it.
struct Reply {
    std::vector<std::uint8_t> bytes;
    std::chrono::milliseconds after{0};
    std::chrono::milliseconds gap{0}; // between the reply's bytes
};
using Responder = std::function<Reply(std::uint8_t received)>;

// A module inside the test: a Channel whose replies come from a responder and arrive on
// a clock the test controls. Every channel operation is written to a trace ("open",
// "clear", "tx 14", "close"; the host adds "pause 5"), so tests can state the wire.
class ScriptedChannel : public Channel {
public:
    using Clock = LinkHost::Clock;

    explicit ScriptedChannel(Clock::time_point& now, std::vector<std::string>& trace)
        : m_now(now), m_trace(trace) {}

    void respondWith(Responder responder) { m_responder = std::move(responder); }
    // The next `count` opens fail as a missing port would.
    void failOpens(int count) { m_openFailures = count; }
    // The next "clear", "tx" or "take" does its work, then reports a line failure.
    void failOnce(std::string operation) { m_failOnce = std::move(operation); }
    // Bytes that arrive at once, unasked.
    void inject(std::vector<std::uint8_t> bytes);
    void fireEvent(int code) { raiseEvent(code); }

    void setPort(int number) override { m_port = number; }
    void open() override;
    void close() override;
    [[nodiscard]] bool isOpen() const override { return m_open; }
    [[nodiscard]] std::size_t bytesWaiting() override;
    void clearInput() override;
    std::uint8_t takeByte() override;
    void send(std::span<const std::uint8_t> bytes) override;

    // When the next scheduled byte arrives, if any is still on its way.
    [[nodiscard]] std::optional<Clock::time_point> nextArrival() const;
    [[nodiscard]] const std::vector<std::uint8_t>& sent() const { return m_sent; }
    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] int opens() const { return m_opens; }

private:
    struct Arrival {
        Clock::time_point at;
        std::uint8_t byte;
    };
    void requireOpen() const;
    void failIfAsked(const char* operation);

    Clock::time_point& m_now;
    std::vector<std::string>& m_trace;
    Responder m_responder;
    std::deque<Arrival> m_input;
    std::vector<std::uint8_t> m_sent;
    bool m_open = false;
    int m_port = 0;
    int m_opens = 0;
    int m_openFailures = 0;
    std::string m_failOnce;
};

class NullProgress : public ProgressDisplay {
public:
    void setCaption(const std::string& c) override { captions.push_back(c); }
    void setValue(int v) override { values.push_back(v); }
    void showNow() override { visible = true; }
    void hide() override { visible = false; }

    std::vector<std::string> captions;
    std::vector<int> values;
    bool visible = false;
};

// A host whose clock moves only when the routines pause or wait, so a 1-second
// deadline costs no time and every test is exact.
class ScriptedHost : public LinkHost {
public:
    ScriptedHost();

    ProgramState& state() override { return m_state; }
    Dialogs& dialogs() override { return *m_dialogsInUse; }
    Channel& channel() override { return m_channel; }
    ProgressDisplay& progress() override { return m_progress; }
    void processEvents() override;
    void DelayTimer(std::int32_t ms) override;
    Clock::time_point now() override { return m_now; }
    void waitForInput(Clock::time_point deadline, bool yield) override;

    ScriptedChannel& module() { return m_channel; }
    ScriptedDialogs& script() { return m_dialogs; }
    // Prompts go to `d` instead of the host's own script.
    void useDialogs(Dialogs& d) { m_dialogsInUse = &d; }
    NullProgress& progressLog() { return m_progress; }
    [[nodiscard]] const std::vector<std::string>& trace() const { return m_trace; }
    void clearTrace() { m_trace.clear(); }
    // The bytes sent, as hex pairs in one text: "14 10 00".
    [[nodiscard]] std::string sentText() const;

    // Runs on every yield to the event loop (the n-th yield, counted from 1).
    std::function<void(int)> onEvents;
    int yields = 0;
    int nonYieldingWaits = 0;

private:
    Clock::time_point m_now{};
    std::vector<std::string> m_trace;
    ProgramState m_state;
    ScriptedDialogs m_dialogs;
    Dialogs* m_dialogsInUse = &m_dialogs;
    ScriptedChannel m_channel;
    NullProgress m_progress;
};

// Replies taken from the emulator's command handling.
[[nodiscard]] Responder moduleResponder(sim::ModuleModel& model);
// The emulator's faults from its own option text ("no-ack=7"); none for nullptr.
[[nodiscard]] sim::Faults faults(const char* text);

} // namespace kv::test
