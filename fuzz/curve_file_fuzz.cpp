// SPDX-License-Identifier: GPL-3.0-or-later
// The limit and template curve files; what is read must write and read back the same.
#include "files/curve_data.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto fromDisk = readCurveFile(fuzz::scratchFile(bytes));
    const auto section = parseCurveData(bytes);
    fuzz::check(fromDisk.has_value() == section.has_value(), "file and bytes read alike");
    if (!section) return 0;
    fuzz::check(section->end <= bytes.size(), "the section ends inside the bytes");
    fuzz::check(*fromDisk == section->values, "file and bytes give the same curves");
    const std::string text = curveDataText(section->values);
    const auto again = parseCurveData(text);
    fuzz::check(again && again->values == section->values, "written curves read back");
    fuzz::check(again->end == text.size(), "the written section is read whole");
    return 0;
}
