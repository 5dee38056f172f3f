// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"
#include "table/table16x2.h"

#include <string>

namespace kv {

// The two curve files that ship for a table type: its minimum and maximum templates.
// The maximum of "EX" and "TEX" is also that type's limit table.
struct CurveFileNames {
    const char* min;
    const char* max;
};
[[nodiscard]] CurveFileNames curveFileNames(const std::string& tableType);

// Reads one curve file from the program's folder into `target`. On failure shows
// "<name> not found." (critical, `title`), runs Close Table and returns false; `target`
// is then unchanged. Each file is read afresh: nothing is cached between commands.
bool readCompanionCurves(Shell& shell, const char* name, const std::string& title,
                         Table16x2& target);

// The limit table of an "EX" or "TEX" table into ExMaxTable (nothing for "RACE"), with
// its failure reported as readCompanionCurves does.
bool loadExLimits(Shell& shell, const std::string& title);

// Lowers every cell of `t` above its limit to the limit; nothing is raised.
void lowerToLimits(Table16x2& t, const Table16x2& limits);

} // namespace kv
