// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/eeprom_image.h"

#include "base/errors.h"
#include "table/numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kv {
namespace {

constexpr std::uint8_t kFixedLimBit = 0x01;
constexpr std::uint8_t kSelEEPROMTblBit = 0x08;
constexpr std::uint8_t kKickStartBit = 0x10;
constexpr std::uint8_t kRetardEnableBit = 0x20;
constexpr std::uint8_t kFixedByteValue = 28;
constexpr int kMaxAngleCount = 56;

// Half-even rounding to a whole count, limited; a value that is not a number (which no
// edit produces, but a caller might) lands on the lower limit instead of undefined.
std::uint8_t counts(double value, int lo, int hi) {
    const double n = roundHalfEven(value);
    if (!(n >= lo)) return static_cast<std::uint8_t>(lo);
    if (n > hi) return static_cast<std::uint8_t>(hi);
    return static_cast<std::uint8_t>(n);
}

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

int pointOf(int index) {
    return index % kPoints + 1;
}
int curveOf(int index) {
    return index / kPoints + 1;
}

// A value as the refusal names it: "#0.0" where that is the value itself, otherwise its
// shortest exact form, so that 44.84 is not shown as the limit 44.8 nor 1e300 in full.
std::string shown(double v) {
    const std::string text = format1(v);
    if (!std::isfinite(v) || (std::abs(v) < 1e9 && leadingNumber(text) == v)) return text;
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

} // namespace

std::optional<std::string> unholdableValue(const Table16x2& table) {
    for (int i = 0; i < 2 * kPoints; ++i) {
        const double v = table(pointOf(i), curveOf(i));
        if (v >= 0 && v <= kHighestHeld) continue;
        return std::string("the ") + (curveOf(i) == kWot ? "WOT" : "Low") + " value at " +
               std::to_string((pointOf(i) - 1) * 500) + " RPM (" + shown(v) + ") is outside 0 to " +
               format1(kHighestHeld) + " degrees.";
    }
    return std::nullopt;
}

std::optional<std::string> refuseUpload(const Table16x2& table) {
    const auto why = unholdableValue(table);
    if (!why) return std::nullopt;
    return "Cannot upload - " + *why;
}

void decodeImage(const EEPROMImage& image, Table16x2& table, ModuleParameters& params) {
    for (int i = 0; i < 2 * kPoints; ++i)
        table(pointOf(i), curveOf(i)) = roundDecimals(image[at(i)] * kDegreesPerCount, 1);
    const auto degrees = [&](int index) {
        return static_cast<int>(roundHalfEven(image[at(index)] * kDegreesPerCount));
    };
    params.RearOffset = static_cast<std::int16_t>(std::min(degrees(33) - 5, 5));
    params.RetardVal = static_cast<std::int16_t>(std::min(degrees(34), 10));
    params.CrankRevs = static_cast<std::int16_t>(std::clamp<int>(image[35], 1, 3));
    const std::uint8_t flags = image[at(kFlagByte)];
    params.FixedLimFlag = (flags & kFixedLimBit) != 0;
    params.SelEEPROMTblFlag = (flags & kSelEEPROMTblBit) != 0;
    params.KickStartFlag = (flags & kKickStartBit) != 0;
    params.RetardEnableFlag = (flags & kRetardEnableBit) != 0;
    params.RPMLimit = static_cast<std::int16_t>(std::clamp(image[at(kRpmByte)] * 100, 3000, 9900));
}

void encodeTableBytes(const Table16x2& table, const ModuleParameters& params, EEPROMImage& image) {
    if (const auto refusal = refuseUpload(table))
        throw KvError(kErrOverflow, "EEPROM Image", *refusal);
    for (int i = 0; i < 2 * kPoints; ++i)
        image[at(i)] = counts(table(pointOf(i), curveOf(i)) / kDegreesPerCount, 0, 255);
    image[at(kFixedByte)] = kFixedByteValue;
    image[33] = counts((params.RearOffset + 5) / kDegreesPerCount, 0, kMaxAngleCount);
    image[34] = counts(params.RetardVal / kDegreesPerCount, 0, kMaxAngleCount);
    image[35] = static_cast<std::uint8_t>(std::clamp<int>(params.CrankRevs, 1, 3));
}

std::uint8_t carriedModuleByte(std::uint8_t moduleByte) {
    return moduleByte > kMaxAngleCount ? kFixedByteValue : moduleByte;
}

std::uint8_t flagByte(std::uint8_t moduleByte, const ModuleParameters& params) {
    constexpr std::uint8_t ours =
        kFixedLimBit | kSelEEPROMTblBit | kKickStartBit | kRetardEnableBit;
    std::uint8_t b = moduleByte & static_cast<std::uint8_t>(~ours);
    if (params.FixedLimFlag) b |= kFixedLimBit;
    if (params.SelEEPROMTblFlag) b |= kSelEEPROMTblBit;
    if (params.KickStartFlag) b |= kKickStartBit;
    if (params.RetardEnableFlag) b |= kRetardEnableBit;
    return b;
}

std::uint8_t rpmLimitByte(const ModuleParameters& params) {
    return counts(params.RPMLimit / 100.0, 30, 99);
}

EEPROMImage encodeImage(const Table16x2& table, const ModuleParameters& params,
                        std::uint8_t module52, std::uint8_t module53) {
    EEPROMImage image{};
    encodeTableBytes(table, params, image);
    image[at(kModuleByte)] = carriedModuleByte(module52);
    image[at(kFlagByte)] = flagByte(module53, params);
    image[at(kRpmByte)] = rpmLimitByte(params);
    return image;
}

std::string imageToHex(const EEPROMImage& image) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string s;
    for (const auto b : image) {
        s += digits[b >> 4];
        s += digits[b & 0x0F];
    }
    return s;
}

std::optional<EEPROMImage> imageFromHex(std::string_view text) {
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    EEPROMImage image{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || n >= image.size()) return std::nullopt;
        const int hi = digit(text[i]);
        const int lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        image[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    if (n != image.size()) return std::nullopt;
    return image;
}

} // namespace kv
