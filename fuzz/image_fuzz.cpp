// SPDX-License-Identifier: GPL-3.0-or-later
// The module image: from hex text, decoded to a table and parameters, encoded again.
#include "fuzz_support.h"
#include "link/eeprom_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = imageFromHex(text);
    EEPROMImage image{};
    if (parsed) {
        image = *parsed;
        fuzz::check(imageFromHex(imageToHex(image)) == parsed, "hex reads back");
    } else {
        // Not hex: the first bytes as an image, as a download receives one.
        for (std::size_t i = 0; i < image.size() && i < size; ++i)
            image[i] = data[i];
    }
    Table16x2 table;
    ModuleParameters params;
    decodeImage(image, table, params);
    // The curve bytes survive a decode and an encode; the parameters, once decoded,
    // encode to bytes that decode to them again.
    const EEPROMImage encoded = encodeImage(table, params, image[kModuleByte], image[kFlagByte]);
    for (int i = 0; i < 2 * kPoints; ++i)
        fuzz::check(encoded[static_cast<std::size_t>(i)] == image[static_cast<std::size_t>(i)],
                    "curve bytes survive decode and encode");
    Table16x2 table2;
    ModuleParameters params2;
    decodeImage(encoded, table2, params2);
    fuzz::check(table2 == table, "a decoded table encodes to itself");
    fuzz::check(params2 == params, "decoded parameters encode to themselves");
    return 0;
}
