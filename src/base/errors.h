// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kv {

// The application error base plus 1000 and 1001.
inline constexpr std::int32_t kErrCommOrOpen = static_cast<std::int32_t>(0x800403E8u);
inline constexpr std::int32_t kErrSave = static_cast<std::int32_t>(0x800403E9u);
// The classic run-time codes the program raises itself.
inline constexpr std::int32_t kErrOverflow = 6;
inline constexpr std::int32_t kErrFile = 75;

// Every failure the program raises: a code, the source and a description.
class KvError : public std::runtime_error {
public:
    KvError(std::int32_t code, std::string source, const std::string& description)
        : std::runtime_error(description), m_code(code), m_source(std::move(source)) {}

    [[nodiscard]] std::int32_t code() const { return m_code; }
    [[nodiscard]] const std::string& source() const { return m_source; }
    [[nodiscard]] std::string description() const { return what(); }

private:
    std::int32_t m_code;
    std::string m_source;
};

[[nodiscard]] inline KvError overflowError() {
    return KvError(kErrOverflow, "Kestrel Vanta", "Overflow");
}

} // namespace kv
