// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <string>
#include <string_view>

namespace kv::cli {

// A table as the companion prints and reads it:
// {"type": "EX", "params": {"RearOffset": 0, ...}, "WOT": [16], "Low": [16],
//  "FirmwareID": "..."}; every value in the shortest form that reads back exactly.
struct TableDocument {
    Table16x2 values;
    ModuleParameters params;
    std::string TableType = "RACE";
    std::string FirmwareID;
};

// `s` as a JSON string, quotes and control characters escaped.
[[nodiscard]] std::string jsonQuoted(const std::string& s);

[[nodiscard]] std::string tableJson(const TableDocument& doc);

// Reads the object tableJson prints. Throws std::runtime_error naming what is wrong: not
// JSON, a missing or mistyped member, a table type other than RACE, EX or TEX, a
// parameter outside the range the table file reader holds it to, a curve without exactly 16 finite
// numbers.
[[nodiscard]] TableDocument parseTableJson(std::string_view text);

// The same table for a spreadsheet: a line of the 16 WOT values, a line of the 16 Low
// values, then "name,value" lines: "type" and the eight module parameters (flags True
// or False).
[[nodiscard]] std::string tableCsv(const TableDocument& doc);

// Reads what tableCsv prints, as a spreadsheet may save it again: cells split by tabs,
// semicolons or commas, decimal commas, quotes, padding cells and blank lines. Every
// name once, each value held to the checks parseTableJson makes; throws
// std::runtime_error naming what is wrong.
[[nodiscard]] TableDocument parseTableCsv(std::string_view text);

} // namespace kv::cli
