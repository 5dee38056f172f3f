// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"

namespace kv {

// Save Table: choose a file and write the open table to it. True when the table was
// written; false when no file was chosen, the dialog was cancelled or writing failed.
bool SaveTable(Shell& shell);

} // namespace kv
