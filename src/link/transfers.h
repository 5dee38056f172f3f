// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"
#include "link/link_host.h"

namespace kv {

// Download From EEPROM: reads the module's table and parameters and makes them the open
// table, typed by the module's firmware. Both hosts work on the same program state.
// True when the downloaded table is shown afterwards.
bool DownloadFromEEPROM(Shell& shell, LinkHost& link);

// Upload To EEPROM: checks the module accepts the open table's type, programs the table
// and parameters (carrying the module's own bits through) and verifies them. True when
// the upload completed and verified.
bool UploadToEEPROM(Shell& shell, LinkHost& link);

} // namespace kv
