// SPDX-License-Identifier: GPL-3.0-or-later
#include "module_model.h"

#include <algorithm>
#include <charconv>
#include <random>

namespace kv::sim {
namespace {

constexpr std::uint8_t kIdRequest = 0x10;
constexpr std::uint8_t kSetAddress = 0x14;
constexpr std::uint8_t kReadByte = 0x15;
constexpr std::uint8_t kWriteByte = 0x16;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kTerminator = 0x0D;

bool number(std::string_view text, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool parseFault(std::string_view text, Faults& faults) {
    const auto eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    if (eq == std::string_view::npos) {
        if (name == "no-reply")
            faults.noReply = true;
        else if (name == "no-echo")
            faults.noEcho = true;
        else if (name == "garbage")
            faults.garbage = true;
        else if (name == "no-terminator")
            faults.noTerminator = true;
        else if (name == "bad-address-ack")
            faults.badAddressAck = true;
        else
            return false;
        return true;
    }
    long n = 0;
    if (!number(text.substr(eq + 1), n)) return false;
    if (name == "no-ack")
        faults.noAckAt = static_cast<int>(n);
    else if (name == "bad-ack")
        faults.badAckAt = static_cast<int>(n);
    else if (name == "bad-read")
        faults.badReadAt = static_cast<int>(n);
    else if (name == "noisy-read")
        faults.noisyRead = n;
    else if (name == "noise")
        faults.noisePerMille = static_cast<int>(std::min(n, 1000L));
    else if (name == "stop-after")
        faults.stopAfter = n;
    else if (name == "delay")
        faults.delayMs = static_cast<int>(std::min(n, 60000L));
    else
        return false;
    return true;
}

ModuleModel::ModuleModel(std::string firmwareId, Faults faults)
    : m_firmwareId(std::move(firmwareId)), m_faults(faults),
      m_noise(static_cast<std::uint32_t>(std::random_device{}())) {}

void ModuleModel::setImage(const std::vector<std::uint8_t>& image) {
    const auto n = std::min<std::size_t>(image.size(), kImageSize);
    std::copy_n(image.begin(), n, m_memory.begin() + kImageStart);
}

std::vector<std::uint8_t> ModuleModel::image() const {
    return {m_memory.begin() + kImageStart, m_memory.begin() + kImageStart + kImageSize};
}

std::vector<std::uint8_t> ModuleModel::receive(std::uint8_t byte) {
    ++m_received;
    std::vector<std::uint8_t> reply;
    switch (m_expect) {
    case Expect::Command:
        if (byte == kIdRequest) {
            echo(reply, byte);
            reply.insert(reply.end(), m_firmwareId.begin(), m_firmwareId.end());
            if (!m_faults.noTerminator) reply.push_back(kTerminator);
        } else if (byte == kSetAddress) {
            echo(reply, byte);
            m_expect = Expect::AddressLow;
        } else if (byte == kReadByte) {
            echo(reply, byte);
            std::uint8_t data = m_memory[static_cast<std::size_t>(m_pointer)];
            if (atImageByte(m_faults.badReadAt) || m_faults.noisyRead == m_reads)
                data = static_cast<std::uint8_t>(~data);
            ++m_reads;
            reply.push_back(data);
            m_pointer = (m_pointer + 1) & 0xFF;
        } else if (byte == kWriteByte) {
            echo(reply, byte);
            m_expect = Expect::WriteData;
        }
        break;
    case Expect::AddressLow:
        echo(reply, byte);
        m_addressLow = byte;
        m_expect = Expect::AddressHigh;
        break;
    case Expect::AddressHigh:
        echo(reply, byte);
        // The memory is 256 bytes; the high byte is taken and dropped, like the module.
        m_pointer = m_addressLow;
        reply.push_back(m_faults.badAddressAck ? 0x00 : kAck);
        m_expect = Expect::Command;
        break;
    case Expect::WriteData:
        echo(reply, byte);
        m_memory[static_cast<std::size_t>(m_pointer)] = byte;
        if (!atImageByte(m_faults.noAckAt))
            reply.push_back(atImageByte(m_faults.badAckAt) ? kNak : kAck);
        m_pointer = (m_pointer + 1) & 0xFF;
        m_expect = Expect::Command;
        break;
    }
    if (m_faults.noReply || (m_faults.stopAfter && m_received > *m_faults.stopAfter)) return {};
    if (m_faults.garbage)
        for (auto& b : reply)
            b = static_cast<std::uint8_t>(0x80 |
                                          (m_junk = static_cast<std::uint8_t>(m_junk * 37 + 11)));
    for (auto& b : reply) {
        // A line that now and then flips a bit; a new pattern every run.
        m_noise = m_noise * 1664525u + 1013904223u;
        if (static_cast<int>((m_noise >> 8) % 1000) < m_faults.noisePerMille)
            b = static_cast<std::uint8_t>(b ^ (1u << ((m_noise >> 4) % 8)));
    }
    return reply;
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

} // namespace kv::sim
