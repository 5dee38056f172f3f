// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/read_table.h"

#include "base/errors.h"
#include "files/curve_data.h"
#include "files/curve_files.h"
#include "files/table_file.h"

#include <filesystem>

namespace kv {

TableReadResult readTableAsOpened(ProgramState& s, const std::string& path,
                                  const std::string& companionFolder) {
    const auto contents = readTableFile(path);
    if (!contents) return {false, "Error loading " + path};

    TableFileParameters p = parameterDefaults(s.params);
    try {
        applyParameterLines(contents->parameterLines, p);
    } catch (const KvError& e) {
        return {false, e.description()};
    }

    Table16x2 table = contents->values;
    Table16x2 limits = s.ExMaxTable;
    if (p.TableType == "EX" || p.TableType == "TEX") {
        const char* name = curveFileNames(p.TableType).max;
        const auto read = readCurveFile((std::filesystem::path(companionFolder) / name).string());
        if (!read) return {false, std::string(name) + " not found."};
        limits = *read;
        lowerToLimits(table, limits);
    }

    s.AdvanceTable = table;
    s.params = p.params;
    s.TableType = p.TableType;
    s.ExMaxTable = limits;
    copyAdvanceTableToLive(s);
    CopyChartToGrid(s);
    return {};
}

} // namespace kv
