// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/errors.h"
#include "link/link_host.h"
#include "module_model.h"
#include "support/scripted_dialogs.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kv::test {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
inline constexpr const char* kTimeout = "RS-232 timeout. Check cable and click Abort.";

// What the module sends back for one received byte: `after` it, `gap` between its bytes.
struct Reply {
    Bytes bytes;
    std::chrono::milliseconds after{0}, gap{0};
};

// Host, port and progress frame in one, with a module inside the test: its replies come
// from `respond` on a clock that moves only when the routines pause or wait, so a
// one-second deadline costs no time.
class ScriptedHost : public LinkHost, public Channel, public ProgressDisplay {
public:
    ProgramState& state() override { return s; }
    Dialogs& dialogs() override { return script; }
    Channel& channel() override { return *this; }
    ProgressDisplay& progress() override { return *this; }
    void processEvents() override {
        if (onEvents) onEvents(++yields);
    }
    void DelayTimer(std::int32_t ms) override {
        pauses.push_back(ms);
        clock += std::chrono::milliseconds(ms);
        processEvents();
    }
    Clock::time_point now() override { return clock; }
    void waitForInput(Clock::time_point deadline, bool yield) override {
        const auto next = std::find_if(input.begin(), input.end(),
                                       [this](const auto& a) { return a.first > clock; });
        clock = next != input.end() ? std::min(next->first, deadline) : deadline;
        if (yield) processEvents();
    }

    void setPort(int) override {}
    void open() override { opened = true; }
    void close() override {
        opened = false;
        input.clear();
    }
    [[nodiscard]] bool isOpen() const override { return opened; }
    [[nodiscard]] std::size_t bytesWaiting() override {
        requireOpen();
        return static_cast<std::size_t>(std::count_if(
            input.begin(), input.end(), [this](auto& a) { return a.first <= clock; }));
    }
    void clearInput() override {
        requireOpen();
        std::erase_if(input, [this](const auto& a) { return a.first <= clock; });
    }
    std::uint8_t takeByte() override {
        if (bytesWaiting() == 0) throw KvError(kErrCommOrOpen, "Comm Error", "Nothing to take.");
        const std::uint8_t b = input.front().second;
        input.pop_front();
        return b;
    }
    void send(std::span<const std::uint8_t> bytes) override {
        requireOpen();
        for (const auto b : bytes) {
            sent.push_back(b);
            const Reply r = respond ? respond(b) : Reply{};
            auto at = std::max(clock + r.after, input.empty() ? clock : input.back().first);
            for (const auto x : r.bytes) {
                input.emplace_back(at, x);
                at += r.gap;
            }
        }
    }
    void fire(int event) { raiseEvent(event); }

    void setCaption(const std::string& c) override { captions.push_back(c); }
    void setValue(int v) override { values.push_back(v); }
    void showNow() override { shown = true; }
    void hide() override { shown = false; }

    // Replies from the emulator's own command handling.
    void useModule(sim::ModuleModel& model) {
        respond = [&model](std::uint8_t b) { return Reply{model.receive(b)}; };
    }
    ProgramState s;
    ScriptedDialogs script;
    std::function<Reply(std::uint8_t)> respond;
    std::function<void(int)> onEvents; // on the n-th yield to the event loop, from 1
    int yields = 0;
    bool opened = false, shown = false;
    Clock::time_point clock{};
    std::deque<std::pair<Clock::time_point, std::uint8_t>> input;
    Bytes sent;
    std::vector<int> pauses, values;
    std::vector<std::string> captions;

private:
    void requireOpen() const {
        if (!opened) throw KvError(kErrCommOrOpen, "Comm Error", "Port is not open.");
    }
};

// What a routine left behind, as "ok open shown abort prompts-left" less what is not so;
// "tidy" when nothing is: the flag down, the port closed, the frame hidden, every prompt seen.
inline std::string status(const ScriptedHost& h) {
    std::string f;
    for (const auto& [on, word] : {std::pair{h.s.CommOKFlag, " ok"},
                                   {h.opened, " open"},
                                   {h.shown, " shown"},
                                   {h.s.AbortRequested, " abort"},
                                   {!h.script.done(), " prompts-left"}})
        if (on) f += word;
    return f.empty() ? "tidy" : f.substr(1);
}

// The emulator's faults from its own option text ("no-ack=7"); none for nullptr.
inline sim::Faults faults(const char* text) {
    sim::Faults f;
    if (text && !sim::parseFault(text, f)) ADD_FAILURE() << "unknown fault " << text;
    return f;
}

} // namespace kv::test
