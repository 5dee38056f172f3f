// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"
#include "table/table16x2.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The 39 bytes at module addresses 16..54 and the table and parameters they hold.
using EEPROMImage = std::array<std::uint8_t, kImageSize>;

// Degrees per count, the same constant in both directions.
inline constexpr double kDegreesPerCount = 0.17578;
// Image indices of the bytes with a role of their own.
inline constexpr int kFixedByte = 32;
inline constexpr int kModuleByte = 36; // address 52, the module's, carried through
inline constexpr int kFlagByte = 37;   // address 53, four flags among the module's bits
inline constexpr int kRpmByte = 38;

// The advance values (one decimal) and parameters an image decodes to. Advance values
// are not limited here; the download holds them to the table type afterwards.
void decodeImage(const EEPROMImage& image, Table16x2& table, ModuleParameters& params);

// The highest advance the image holds: 255 counts, shown to one decimal.
inline constexpr double kHighestHeld = 44.8;

// The first advance value of `table` the image cannot hold (below 0, above kHighestHeld,
// or no finite number), by curve and RPM: "the WOT value at 1500 RPM (500.0) is outside
// 0 to 44.8 degrees."; nothing when every value can be held. An image is never built from
// such a table: it is refused, not limited to what fits.
[[nodiscard]] std::optional<std::string> unholdableValue(const Table16x2& table);
// The same as the refusal to upload: "Cannot upload - the WOT value at ...".
[[nodiscard]] std::optional<std::string> refuseUpload(const Table16x2& table);

// Bytes 0..35: the two curves, the fixed byte, offset, retard and cranking revolutions.
// Throws the refusal above for a table it cannot hold.
void encodeTableBytes(const Table16x2& table, const ModuleParameters& params, EEPROMImage& image);
// Byte 36 from the module's current byte at address 52.
[[nodiscard]] std::uint8_t carriedModuleByte(std::uint8_t moduleByte);
// Byte 37: the module's current byte at address 53 with the four flag bits replaced.
[[nodiscard]] std::uint8_t flagByte(std::uint8_t moduleByte, const ModuleParameters& params);
// Byte 38: the RPM limit in hundreds.
[[nodiscard]] std::uint8_t rpmLimitByte(const ModuleParameters& params);

// The whole image in the order the upload builds it.
[[nodiscard]] EEPROMImage encodeImage(const Table16x2& table, const ModuleParameters& params,
                                      std::uint8_t module52, std::uint8_t module53);

// The image as 78 lowercase hexadecimal digits, and back (either case; blanks between
// digit pairs allowed). nullopt for anything but exactly 39 bytes of hex.
[[nodiscard]] std::string imageToHex(const EEPROMImage& image);
[[nodiscard]] std::optional<EEPROMImage> imageFromHex(std::string_view text);

} // namespace kv
