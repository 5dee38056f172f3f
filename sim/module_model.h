// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv::sim {

// Misbehaviour to put on for tests and demonstrations. "Byte N" is image byte N, the
// one at module address 16 + N.
struct Faults {
    bool noReply = false;          // never answers anything
    bool noEcho = false;           // leaves out every echo
    bool garbage = false;          // every reply byte replaced by junk (0x80..0xFF)
    bool noTerminator = false;     // the identification never ends with 0x0D
    bool badAddressAck = false;    // set-address acknowledged with 0x00
    std::optional<int> noAckAt;    // the write of byte N gets its echoes, no acknowledge
    std::optional<int> badAckAt;   // the write of byte N is acknowledged with 0x15
    std::optional<int> badReadAt;  // reading byte N returns its complement
    std::optional<long> noisyRead; // the Nth byte read (from 0, any address) comes back
                                   // complemented, that once: a noisy line
    int noisePerMille = 0;         // each reply byte spoilt with this chance in 1000
    std::optional<long> stopAfter; // silent after this many received bytes
    int delayMs = 0;               // every reply starts this late (applied by the sim)
};

// Parses one fault: no-reply, no-echo, garbage, no-terminator, bad-address-ack,
// no-ack=N, bad-ack=N, bad-read=N, noisy-read=N, noise=N, stop-after=N, delay=MS. False when
// unknown.
bool parseFault(std::string_view text, Faults& faults);

// The module's command handling over a 256-byte memory, without any timing: one byte
// in, the reply bytes out.
class ModuleModel {
public:
    static constexpr int kImageStart = 16;
    static constexpr int kImageSize = 39;

    explicit ModuleModel(std::string firmwareId, Faults faults = {});

    [[nodiscard]] std::vector<std::uint8_t> receive(std::uint8_t byte);

    [[nodiscard]] std::array<std::uint8_t, 256>& memory() { return m_memory; }
    [[nodiscard]] const std::array<std::uint8_t, 256>& memory() const { return m_memory; }
    void setImage(const std::vector<std::uint8_t>& image);
    [[nodiscard]] std::vector<std::uint8_t> image() const;
    [[nodiscard]] int pointer() const { return m_pointer; }
    [[nodiscard]] const Faults& faults() const { return m_faults; }

private:
    enum class Expect { Command, AddressLow, AddressHigh, WriteData };

    [[nodiscard]] bool atImageByte(std::optional<int> n) const {
        return n && m_pointer == kImageStart + *n;
    }
    void echo(std::vector<std::uint8_t>& reply, std::uint8_t b) const {
        if (!m_faults.noEcho) reply.push_back(b);
    }

    std::string m_firmwareId;
    Faults m_faults;
    std::array<std::uint8_t, 256> m_memory{};
    Expect m_expect = Expect::Command;
    int m_pointer = 0;
    int m_addressLow = 0;
    long m_received = 0;
    long m_reads = 0;
    std::uint8_t m_junk = 0x5A;
    std::uint32_t m_noise;
};

// "0a1b..." (any case, blanks ignored) to bytes; nullopt for odd length or a non-digit.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> parseHex(std::string_view text);

} // namespace kv::sim
