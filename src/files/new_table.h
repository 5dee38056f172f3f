// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"
#include "table/table16x2.h"

#include <cstdint>
#include <string>

namespace kv {

inline constexpr int kSlopeMax = 9;

// ((9 - S) x min + S x max) / 9 per cell, held to 0..40 and not rounded.
[[nodiscard]] Table16x2 blendTemplates(const Table16x2& min, const Table16x2& max, int slope);

// The table type an answer to the type question gives ("RACE", "EX" or "TEX"), or an
// empty text for an answer that is not accepted. Letter case is ignored, blanks are not.
[[nodiscard]] std::string tableTypeFromAnswer(const std::string& answer);

// New Table's own values while its dialog is loaded, and its routines. The dialog (or a
// test) runs start() and, when it returns true, shows itself and calls the rest.
class NewTableSession {
public:
    explicit NewTableSession(Shell& shell) : m_shell(shell) {}

    // The start-up steps: the save question, the type question, the templates, the
    // caption and the interaction settings. False when the dialog must not be shown:
    // the user kept the open table, or a template could not be read.
    [[nodiscard]] bool start();

    // The slider's top end (position 0) gives setting 9, its bottom end setting 0.
    void setSliderPosition(int position);
    [[nodiscard]] int sliderPosition() const { return kSlopeMax - m_slope; }
    [[nodiscard]] std::int16_t slopeSetting() const { return m_slope; }
    [[nodiscard]] std::string slopeLabel() const; // " 0" .. " 9"

    // Builds the table from the templates and the setting and shows it.
    void CreateNewTable();

    [[nodiscard]] const Table16x2& minTemplate() const { return m_min; }
    [[nodiscard]] const Table16x2& maxTemplate() const { return m_max; }

private:
    void askTableType();

    Shell& m_shell;
    Table16x2 m_min;
    Table16x2 m_max;
    std::int16_t m_slope = 0;
};

} // namespace kv
