// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <string>
#include <vector>

namespace kv {

// Two chart values differ unless they are exactly equal: the comparison is of the values
// held, not of the one decimal the grid shows.
[[nodiscard]] inline bool valuesDiffer(double a, double b) {
    return !(a == b);
}

// The shortest text that reads back as exactly `v`.
[[nodiscard]] std::string exactText(double v);

// A table as compared: its values, its module parameters and its type.
struct ComparedTable {
    const Table16x2& values;
    const ModuleParameters& params;
    const std::string& TableType;
};
[[nodiscard]] inline ComparedTable comparedLive(const ProgramState& s) {
    return {s.live.values, s.params, s.TableType};
}

struct CellDifference {
    int curve = 0; // kWot or kLow
    int point = 0; // 1..16
    double a = 0;
    double b = 0;
    [[nodiscard]] int rpm() const { return (point - 1) * 500; }
};

// A parameter (or the table type) by name, each side as the table file writes it: a
// whole number, True or False, or the type's name.
struct ParameterDifference {
    enum class Kind { Type, Number, Flag };
    std::string name;
    std::string a;
    std::string b;
    Kind kind = Kind::Type;
};

struct TableDifferences {
    std::vector<CellDifference> cells; // WOT first, each curve by rising RPM
    std::vector<ParameterDifference> params;
    [[nodiscard]] bool same() const { return cells.empty() && params.empty(); }
};

[[nodiscard]] TableDifferences compareTables(const ComparedTable& a, const ComparedTable& b);

// "WOT" or "Low".
[[nodiscard]] const char* curveName(int curve);

} // namespace kv
