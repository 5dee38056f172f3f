// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/eeprom_image.h"
#include "table/program_state.h"

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The transfer history: after every successful download or upload, a table file of what
// went over the line, in a folder of its own. Each entry is an ordinary table file whose
// last line, "!History: ...", carries what the table alone does not: when, which way,
// the module's identification and the 39-byte image. Every table file reader skips that
// line, since it holds none of the parameter keys (a "!" in the identification is
// written %21 so that none can appear).
//
// Entries are named <date>_<time>_<direction>_<module type>.tbl, local time, so that
// names sort by time: 2026-12-08_14-03-22_download_RACE.tbl; a second entry within the
// same second gets "_2" before the extension, a third "_3", and so on.

enum class TransferDirection { Download, Upload };

// What the "!History:" line says.
struct HistoryRecord {
    std::string time; // "2026-12-08 14:03:22"
    TransferDirection direction = TransferDirection::Download;
    std::string FirmwareID;
    EEPROMImage image{};
};

[[nodiscard]] const char* directionName(TransferDirection d); // "download" or "upload"
[[nodiscard]] std::string historyLine(const HistoryRecord& r);
[[nodiscard]] std::optional<HistoryRecord> parseHistoryLine(std::string_view line);

// One transfer to keep: the table as it went over the line, and the module's side.
struct KeptTransfer {
    TransferDirection direction = TransferDirection::Download;
    const Table16x2& values;
    const ModuleParameters& params;
    const std::string& TableType; // the table's own type
    const std::string& FirmwareID;
    const EEPROMImage& image;
};
// The transfer just done in `s`: AdvanceTable, parameters, type, FirmwareID, EEPROMBuffer.
[[nodiscard]] KeptTransfer keptFrom(const ProgramState& s, TransferDirection d);

// Entries beyond the first download of each identification that are kept.
inline constexpr std::size_t kHistoryKept = 500;

// Writes the entry (through the one save function, the folder made when missing) and
// prunes the folder. Returns the entry's path, or nothing when it could not be written.
[[nodiscard]] std::optional<std::string> keepTransfer(const std::string& folder,
                                                      const KeptTransfer& t, std::time_t when);

// Removes the oldest entries until at most `kept` remain besides the first download of
// each identification, which is kept for ever. Other files in the folder are not touched.
void pruneHistory(const std::string& folder, std::size_t kept = kHistoryKept);

// An entry as listed.
struct HistoryEntry {
    std::string path;
    std::string fileName;
    HistoryRecord record;
    std::string TableType;
    double lowest = 0;
    double highest = 0;
    bool firstOfModule = false; // the first download of its identification: kept for ever
};

// The readable entries of `folder`, newest first.
[[nodiscard]] std::vector<HistoryEntry> listHistory(const std::string& folder);

} // namespace kv
