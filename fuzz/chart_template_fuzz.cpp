// SPDX-License-Identifier: GPL-3.0-or-later
// The chart template: all or nothing, and the same text gives the same look.
#include "fuzz_support.h"
#include "table/chart_template.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ChartLook designed;
    const auto r = parseChartTemplate(text, designed);
    if (!r.ok) {
        fuzz::check(r.look == designed, "a refused template changes nothing");
        fuzz::check(!r.error.empty(), "a refused template says why");
        return 0;
    }
    // Applied over its own result, a template changes nothing more.
    const auto twice = parseChartTemplate(text, r.look);
    fuzz::check(twice.ok && twice.look == r.look, "a template applies the same twice");
    const auto fromDisk = readChartTemplate(fuzz::scratchFile(text), designed);
    fuzz::check(fromDisk.ok == (size <= kChartTemplateMaxBytes), "file and text read alike");
    if (fromDisk.ok) fuzz::check(fromDisk.look == r.look, "file and text give the same look");
    return 0;
}
