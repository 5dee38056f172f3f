// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON that `write` reads; what it accepts must print and read back the same.
#include "cli/table_json.h"
#include "fuzz_support.h"

#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv::cli;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TableDocument doc;
    try {
        doc = parseTableJson(text);
    } catch (const std::runtime_error&) {
        return 0;
    }
    const TableDocument again = parseTableJson(tableJson(doc));
    kv::fuzz::check(again.values == doc.values, "curves print and read back");
    kv::fuzz::check(again.params == doc.params, "parameters print and read back");
    kv::fuzz::check(again.TableType == doc.TableType, "the type prints and reads back");
    kv::fuzz::check(again.FirmwareID == doc.FirmwareID, "the identification prints and reads back");
    return 0;
}
