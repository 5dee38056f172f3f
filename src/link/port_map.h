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

// The device a port number stands for when no override is stored: COMN on Windows,
// /dev/ttyS<N-1> on Linux (Com1 is the first on-board port), /dev/cu.serial<N> elsewhere.
[[nodiscard]] std::string defaultDevice(int number);

// The stored "CommPort" text as a port number. Throws a KvError when the text is not a
// whole number or the number is outside 1..255.
[[nodiscard]] int parseStoredPort(std::string_view text);

} // namespace kv
