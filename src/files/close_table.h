// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"

namespace kv {

// Yes/No/Cancel with the exclamation icon before a command discards the open table.
// Yes runs Save Table first. Returns false when the command must stop: the user
// answered Cancel, or answered Yes and the save did not happen (the table stays).
[[nodiscard]] bool offerToSave(Shell& shell, const std::string& question, const std::string& title);

// Close Table: the save question when a table is open, then hide the table and set
// the caption to BaseCaption. Returns false when the table was kept.
bool CloseTable(Shell& shell);

} // namespace kv
