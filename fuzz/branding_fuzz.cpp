// SPDX-License-Identifier: GPL-3.0-or-later
// The branding file, and everything the splash and the About box take from it.
#include "files/branding.h"
#include "base/errors.h"

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Branding b;
    try {
        readBranding(in, b);
    } catch (const KvError&) {
        // A file cut short: what was read is used all the same.
    }
    for (std::size_t item = 1; item <= 6; ++item) {
        try {
            const std::string& brand = b.brand(item);
            (void)brandFontSize(brand);
            (void)containsNoCase(brand, "bold");
            (void)isNullLogo(brand);
            (void)b.contact(item);
        } catch (const KvError&) {
            // A missing item.
        }
    }
    (void)b.shortName();
    try {
        (void)aboutText(b);
    } catch (const KvError&) {
    }
    return 0;
}
