// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_map.h"

#include "base/errors.h"

#include <cctype>
#include <charconv>

namespace kv {
namespace {

// The classic run-time codes for a text that is no number and a list position that
// does not exist.
constexpr std::int32_t kErrTypeMismatch = 13;
constexpr std::int32_t kErrInvalidValue = 380;

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::optional<long> wholeNumber(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    long v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

} // namespace

std::string portName(int number) {
    return "Com" + std::to_string(number);
}

std::optional<int> portNumberOf(std::string_view name) {
    if (name.size() < 4) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) return std::nullopt;
    const std::string_view digits = name.substr(3);
    if (!std::isdigit(static_cast<unsigned char>(digits.front()))) return std::nullopt;
    const auto n = wholeNumber(digits);
    if (!n || *n < kFirstPort || *n > kLastPort) return std::nullopt;
    return static_cast<int>(*n);
}

std::string systemDevice(PortSystem system, int number) {
    const std::string n = std::to_string(number);
    switch (system) {
    case PortSystem::Windows:
        return number < 10 ? "COM" + n : "\\\\.\\COM" + n;
    case PortSystem::Linux:
        return "/dev/ttyS" + std::to_string(number - 1);
    case PortSystem::OtherPosix:
        break;
    }
    return "/dev/cu.serial" + n;
}

std::string defaultDevice(int number) {
#if defined(_WIN32)
    return systemDevice(PortSystem::Windows, number);
#elif defined(__linux__)
    return systemDevice(PortSystem::Linux, number);
#else
    return systemDevice(PortSystem::OtherPosix, number);
#endif
}

int parseStoredPort(std::string_view text) {
    const auto n = wholeNumber(trim(text));
    if (!n)
        throw KvError(kErrTypeMismatch, "Port Setup",
                      "The stored serial port \"" + std::string(text) +
                          "\" is not a whole number.");
    if (*n < kFirstPort || *n > kLastPort)
        throw KvError(kErrInvalidValue, "Port Setup",
                      "The stored serial port " + std::to_string(*n) +
                          " is outside Com1 to Com255.");
    return static_cast<int>(*n);
}

} // namespace kv
