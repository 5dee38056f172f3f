// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 255;

// "Com1".."Com255".
[[nodiscard]] std::string portName(int number);
// 3 for "Com3" (any letter case), nullopt for anything else.
[[nodiscard]] std::optional<int> portNumberOf(std::string_view name);

// The systems whose port devices are named differently.
enum class PortSystem { Windows, Linux, OtherPosix };

// The device port `number` stands for on `system`: COMN on Windows (\\.\COMN from 10 on,
// the only form the system opens above 9), /dev/ttyS<N-1> on Linux (Com1 is the first
// on-board port), /dev/cu.serial<N> elsewhere.
[[nodiscard]] std::string systemDevice(PortSystem system, int number);
// The same on the system the program runs on, used when no override is stored.
[[nodiscard]] std::string defaultDevice(int number);

// The stored "CommPort" text as a port number. Throws a KvError when the text is not a
// whole number or the number is outside 1..255.
[[nodiscard]] int parseStoredPort(std::string_view text);

} // namespace kv
