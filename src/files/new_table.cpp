// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/new_table.h"

#include "files/close_table.h"
#include "files/show_table.h"
#include "base/step_runner.h"
#include "files/curve_files.h"
#include "table/numbers.h"

#include <algorithm>
#include <cctype>

namespace kv {

Table16x2 blendTemplates(const Table16x2& min, const Table16x2& max, int slope) {
    Table16x2 out;
    const double s = slope;
    for (int p = 1; p <= kPoints; ++p)
        for (int c = 1; c <= kCurves; ++c) {
            const double v = ((kSlopeMax - s) * min(p, c) + s * max(p, c)) / kSlopeMax;
            out(p, c) = v < 0 ? 0.0 : (v > 40 ? 40.0 : v);
        }
    return out;
}

std::string tableTypeFromAnswer(const std::string& answer) {
    std::string up = answer;
    for (char& c : up)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (up == "RACE") return "RACE";
    if (up == "EX") return "EX";
    if (up == "TARROW EX") return "TEX";
    return {};
}

void NewTableSession::askTableType() {
    // Only an accepted answer leaves the question; Cancel asks again.
    for (;;) {
        const auto answer = m_shell.dialogs().input("Enter table type (Race, EX, or Tarrow EX)",
                                                    "Create New Advance Table", "Race");
        const std::string type = tableTypeFromAnswer(answer.value_or(""));
        if (!type.empty()) {
            m_shell.state().TableType = type;
            return;
        }
    }
}

bool NewTableSession::start() {
    ProgramState& s = m_shell.state();
    StepRunner steps(m_shell.dialogs());
    m_min.fill(0);
    m_max.fill(0);

    // 3. Cancel, or a save that did not happen, keeps the open table and shows nothing.
    if (m_shell.tableShown() &&
        !offerToSave(m_shell, "Save advance table before closing file?", "Close File"))
        return false;

    // 4. - 6.
    m_shell.setTableShown(false);
    if (!steps.run([&] { askTableType(); })) return false;

    // 7. A template that cannot be read ends the command with no table open.
    const CurveFileNames names = curveFileNames(s.TableType);
    if (!readCompanionCurves(m_shell, names.min, "New Table", m_min)) return false;
    if (!readCompanionCurves(m_shell, names.max, "New Table", m_max)) return false;
    if (s.exLimited()) s.ExMaxTable = m_max;

    // 8. - 11.
    setSliderPosition(kSlopeMax);
    m_shell.setCaption(s.BaseCaption);
    m_shell.applyInteraction(s.TableType);
    if (s.exLimited()) s.RearOffset = 0;
    return true;
}

void NewTableSession::setSliderPosition(int position) {
    m_slope = static_cast<std::int16_t>(kSlopeMax - std::clamp(position, 0, kSlopeMax));
}

std::string NewTableSession::slopeLabel() const {
    return signedText(m_slope);
}

void NewTableSession::CreateNewTable() {
    ProgramState& s = m_shell.state();
    s.AdvanceTable = blendTemplates(m_min, m_max, m_slope);
    showWholeTable(m_shell);
}

} // namespace kv
