// SPDX-License-Identifier: GPL-3.0-or-later
#include "scripted_module.h"

#include "base/errors.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace kv::test {
namespace {

std::string hex(std::uint8_t b) {
    char buf[3];
    std::snprintf(buf, sizeof buf, "%02x", b);
    return buf;
}

} // namespace

void ScriptedChannel::requireOpen() const {
    if (!m_open) throw KvError(kErrCommOrOpen, "Comm Error", "Port is not open.");
}

void ScriptedChannel::failIfAsked(const char* operation) {
    if (m_failOnce != operation) return;
    m_failOnce.clear();
    throw KvError(kErrCommOrOpen, "Comm Error", "The line failed.");
}

void ScriptedChannel::open() {
    m_trace.push_back("open");
    if (m_open) throw KvError(kErrCommOrOpen, "Comm Error", "Port already open.");
    if (m_openFailures > 0) {
        --m_openFailures;
        throw KvError(kErrCommOrOpen, "Comm Error",
                      "Com" + std::to_string(m_port) + " does not exist.");
    }
    m_open = true;
    ++m_opens;
}

void ScriptedChannel::close() {
    m_trace.push_back("close");
    m_open = false;
    m_input.clear();
}

void ScriptedChannel::inject(std::vector<std::uint8_t> bytes) {
    for (const auto b : bytes)
        m_input.push_back({m_now, b});
}

std::size_t ScriptedChannel::bytesWaiting() {
    requireOpen();
    std::size_t n = 0;
    for (const auto& a : m_input)
        n += a.at <= m_now ? 1 : 0;
    return n;
}

void ScriptedChannel::clearInput() {
    requireOpen();
    m_trace.push_back("clear");
    std::erase_if(m_input, [this](const Arrival& a) { return a.at <= m_now; });
    failIfAsked("clear");
}

std::uint8_t ScriptedChannel::takeByte() {
    requireOpen();
    if (m_input.empty() || m_input.front().at > m_now)
        throw KvError(kErrCommOrOpen, "Comm Error", "Nothing to take.");
    const auto b = m_input.front().byte;
    m_input.pop_front();
    failIfAsked("take");
    return b;
}

void ScriptedChannel::send(std::span<const std::uint8_t> bytes) {
    requireOpen();
    for (const auto b : bytes) {
        m_trace.push_back("tx " + hex(b));
        m_sent.push_back(b);
        if (!m_responder) continue;
        const Reply reply = m_responder(b);
        auto at = m_now + reply.after;
        if (!m_input.empty()) at = std::max(at, m_input.back().at);
        for (const auto r : reply.bytes) {
            m_input.push_back({at, r});
            at += reply.gap;
        }
    }
    failIfAsked("tx");
}

std::optional<ScriptedChannel::Clock::time_point> ScriptedChannel::nextArrival() const {
    for (const auto& a : m_input)
        if (a.at > m_now) return a.at;
    return std::nullopt;
}

ScriptedHost::ScriptedHost() : m_channel(m_now, m_trace) {}

void ScriptedHost::processEvents() {
    ++yields;
    if (onEvents) onEvents(yields);
}

void ScriptedHost::DelayTimer(std::int32_t ms) {
    m_trace.push_back("pause " + std::to_string(ms));
    m_now += std::chrono::milliseconds(ms);
    processEvents();
}

void ScriptedHost::waitForInput(Clock::time_point deadline, bool yield) {
    const auto next = m_channel.nextArrival();
    m_now = next && *next < deadline ? *next : deadline;
    if (yield)
        processEvents();
    else
        ++nonYieldingWaits;
}

std::string ScriptedHost::sentText() const {
    std::string s;
    for (const auto b : m_channel.sent())
        s += (s.empty() ? "" : " ") + hex(b);
    return s;
}

Responder moduleResponder(sim::ModuleModel& model) {
    return [&model](std::uint8_t b) { return Reply{model.receive(b)}; };
}

sim::Faults faults(const char* text) {
    sim::Faults f;
    if (text && !sim::parseFault(text, f)) ADD_FAILURE() << "unknown fault " << text;
    return f;
}

} // namespace kv::test
