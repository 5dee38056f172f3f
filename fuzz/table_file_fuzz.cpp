// SPDX-License-Identifier: GPL-3.0-or-later
// The table file reader from disk; what it accepts must write and read back the same.
#include "base/errors.h"
#include "files/table_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto contents = readTableFile(fuzz::scratchFile(bytes));
    if (!contents) return 0;
    TableFileParameters p = parameterDefaults({});
    try {
        applyParameterLines(contents->parameterLines, p);
    } catch (const KvError&) {
        // An overflowing number: the rest was applied, which is what is written back.
    }
    const std::string text = tableFileText(contents->values, p.params, p.TableType);
    const auto again = readTableFile(fuzz::scratchFile(text));
    fuzz::check(again.has_value(), "a written table file reads back");
    fuzz::check(again->values == contents->values, "the curves read back unchanged");
    TableFileParameters q = parameterDefaults({});
    applyParameterLines(again->parameterLines, q);
    fuzz::check(q.params == p.params, "the parameters read back unchanged");
    fuzz::check(q.TableType == p.TableType, "the table type reads back unchanged");
    return 0;
}
