// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/table16x2.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

inline constexpr int kGridRows = 3;
inline constexpr int kGridCols = 17;
inline constexpr int kImageSize = 39;

// The live table: the values the chart draws (full doubles) and the texts the grid
// shows. A text is "#0.0" of its value unless the user typed or pasted it.
struct LiveTable {
    Table16x2 values;
    std::array<std::array<std::string, kGridCols>, kGridRows> texts;

    [[nodiscard]] double value(int series, int point) const { return values(point, series); }
    [[nodiscard]] const std::string& text(int row, int col) const {
        return texts[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }
    void setText(int row, int col, std::string t) {
        texts[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = std::move(t);
    }
    // The grid's fixed headings: "MAP/RPM", the RPM of each point, "Low" and "WOT".
    void writeHeadings();
};

struct ModuleParameters {
    std::int16_t RearOffset = 0;
    std::int16_t RetardVal = 0;
    std::int16_t CrankRevs = 2;
    std::int16_t RPMLimit = 3000;
    bool FixedLimFlag = false;
    bool SelEEPROMTblFlag = true;
    bool RetardEnableFlag = false;
    bool KickStartFlag = false;
    bool operator==(const ModuleParameters&) const = default;
};

// The program-wide state, owned by the main window (or the command-line companion)
// and handed by reference to every command.
struct ProgramState {
    LiveTable live;
    Table16x2 AdvanceTable;
    Table16x2 ExMaxTable;
    std::string TableType = "RACE";
    std::string FirmwareID;
    std::string BaseCaption = "Kestrel Vanta Version " KV_VERSION;
    bool AbortRequested = false;
    // The table file the open table was opened from or last saved to; empty for a new
    // or downloaded table.
    std::string TableFile;

    ModuleParameters params;
    // Short names for the parameters, as the rest of the program calls them.
    std::int16_t& RearOffset = params.RearOffset;
    std::int16_t& RetardVal = params.RetardVal;
    std::int16_t& CrankRevs = params.CrankRevs;
    std::int16_t& RPMLimit = params.RPMLimit;
    bool& FixedLimFlag = params.FixedLimFlag;
    bool& SelEEPROMTblFlag = params.SelEEPROMTblFlag;
    bool& RetardEnableFlag = params.RetardEnableFlag;
    bool& KickStartFlag = params.KickStartFlag;

    std::string CopyBuffer;
    long CopyRowExtent = 0;
    long CopyColExtent = 0;

    std::array<std::uint8_t, kImageSize> EEPROMBuffer{};
    bool CommOKFlag = false;
    std::int16_t VerifyErrorCount = 0;
    std::int16_t CommPort = 1;
    std::int16_t CommErrorCount = 0;

    ProgramState() { live.writeHeadings(); }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Start-up values of everything but the port: no table, type RACE, default parameters.
    void resetToStart();
    // True when `TableType` is "EX" or "TEX", the types held to ExMaxTable.
    [[nodiscard]] bool exLimited() const { return TableType == "EX" || TableType == "TEX"; }
};

// The whole-table operations on the live store.
void copyAdvanceTableToLive(ProgramState& s); // AdvanceTable -> chart values, one copy
void copyLiveToAdvanceTable(ProgramState& s); // chart values -> AdvanceTable, one copy
void CopyChartToGrid(ProgramState& s);        // every data cell := "#0.0" of its value
void setOneValue(ProgramState& s, int row, int col, double v); // value and its text
void ClearEEPROMBuffer(ProgramState& s);

} // namespace kv
