// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"
#include "table/shell.h"

namespace kv {

// Download From EEPROM: reads the module's table and parameters and makes them the open
// table, typed by the module's firmware. Both hosts work on the same program state.
// True when the downloaded table is shown afterwards.
bool DownloadFromEEPROM(Shell& shell, LinkHost& link);

// Upload To EEPROM: checks the module accepts the open table's type, programs the table
// and parameters (carrying the module's own bits through) and verifies them. True when
// the upload completed and verified.
bool UploadToEEPROM(Shell& shell, LinkHost& link);

// The texts of a reading of the module, each a warning under `title`.
struct ModuleReading {
    const char* title;
    const char* idFailed;
    const char* idEmpty;
    const char* readFailed;
    const char* differed;
    bool showId; // "Firmware ID: ..." between the identification and the image
};
extern const ModuleReading kDownloadReading;

// Download's reading of the module: the firmware identification (which sets FirmwareID
// and TableType), then the image read twice into EEPROMBuffer. True when both reads
// agree; otherwise the failure is reported and, once the image was being read,
// EEPROMBuffer is cleared.
bool ReadModule(Shell& shell, LinkHost& link, const ModuleReading& r);

// Compare With Module: reads the module as Download does, into `module` (AdvanceTable
// held to the limits of the module's type, parameters, TableType, FirmwareID and
// EEPROMBuffer), without changing the open table. Refused, with a message, while no
// table is open and wherever Download would fail. True when `module` was filled.
bool ReadModuleForComparison(Shell& shell, LinkHost& link, ProgramState& module);

} // namespace kv
