// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// The module exchanges. Each opens the port when it finds it closed, reports its
// result through CommOKFlag (and the state it fills), handles every error through the
// error prompt, and leaves the port closed, except ReadEEPROM, which keeps it open
// for the next byte of a block.

// FirmwareID, TableType (when a complete reply came) and CommOKFlag.
void ReadFirmwareID(LinkHost& host);
// Sets the module's address pointer; CommOKFlag tells whether the module acknowledged.
void SetEEPROMAddress(LinkHost& host, std::int32_t address);
// The byte at the pointer (0 when the exchange failed); the pointer moves on by one.
[[nodiscard]] std::uint8_t ReadEEPROM(LinkHost& host);
// Fills EEPROMBuffer from address 16 on.
void ReadEEPROMData(LinkHost& host);
// Programs EEPROMBuffer from address 16 on, then runs VerifyEEPROM. Returns how many of
// its bytes were sent: once one was, a failure may leave the module holding part of the
// image and part of what it held before.
int WriteEEPROMData(LinkHost& host);
// VerifyErrorCount: bytes that differ on read-back, plus one when cut short.
void VerifyEEPROM(LinkHost& host);

// The table type a firmware identification stands for: "RACE", "EX" or "TEX".
[[nodiscard]] std::string tableTypeOf(std::string_view firmwareId);
// The progress bar value after image byte `index` (0..38) of a block.
[[nodiscard]] int blockProgress(int index);

inline constexpr std::chrono::milliseconds kReplyDeadline{1000};
inline constexpr std::int32_t kPauseMs = 5;

inline constexpr const char* kCommErrorSource = "Comm Error";
inline constexpr const char* kTimeoutText = "RS-232 timeout. Check cable and click Abort.";
inline constexpr const char* kUnexpectedTerminatorText = "Firmware ID - unexpected terminator.";
inline constexpr const char* kNoEchoText = "Firmware ID - no command echo.";

} // namespace kv
