// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"

#include <string>

namespace kv {

// Open Table: offers to save the open table, lets the user choose a table file and
// shows it with its type, parameters and (for "EX" and "TEX") its limits. True when the
// file's table is the open table afterwards. When no file is chosen the table that was
// open is shown again as it was.
// With `path`, that file is opened without the file dialog, and with `caption` the window
// caption is BaseCaption followed by it rather than by the file's name.
bool OpenTable(Shell& shell, const std::string& path = {}, const std::string& caption = {});

// What Open Table does once `path` is chosen: the chart template, the file, its limits,
// then the table shown and named in the caption (BaseCaption and `caption` when given).
// On failure the critical message, and Close Table.
bool openTableFile(Shell& shell, const std::string& path, const std::string& caption = {});

// Revert to Saved: reopens the open table's file. When the table on screen differs from
// what the file holds, the save question comes first; a file that can no longer be read
// keeps the table on screen. False when nothing was reopened.
bool RevertTable(Shell& shell);

} // namespace kv
