// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/curve_files.h"

#include "files/close_table.h"
#include "files/curve_data.h"

namespace kv {

CurveFileNames curveFileNames(const std::string& tableType) {
    if (tableType == "EX") return {"Vanta_EX_Min.dat", "Vanta_EX_Max.dat"};
    if (tableType == "TEX") return {"Tarrow_EX_Min.dat", "Tarrow_EX_Max.dat"};
    return {"Vanta_Min.dat", "Vanta_Max.dat"};
}

bool readCompanionCurves(Shell& shell, const char* name, const std::string& title,
                         Table16x2& target) {
    const auto curves = readCurveFile(shell.companionPath(name));
    if (!curves) {
        shell.dialogs().message(std::string(name) + " not found.", title, Buttons::OK,
                                Icon::Critical);
        CloseTable(shell);
        return false;
    }
    target = *curves;
    return true;
}

bool loadExLimits(Shell& shell, const std::string& title) {
    ProgramState& s = shell.state();
    if (!s.exLimited()) return true;
    return readCompanionCurves(shell, curveFileNames(s.TableType).max, title, s.ExMaxTable);
}

void lowerToLimits(Table16x2& t, const Table16x2& limits) {
    for (int p = 1; p <= kPoints; ++p)
        for (int c = 1; c <= kCurves; ++c)
            if (t(p, c) > limits(p, c)) t(p, c) = limits(p, c);
}

} // namespace kv
