// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

#include <string>

namespace kv {

inline constexpr const char* kTableFilter = "Advance table files (*.tbl)|*.tbl";

// The open dialog with its existence check. Returns the path of an existing file, of a
// missing one the user accepted (Yes, offered only with a `notExistMessage`), or an
// empty path when no file was chosen. Throws KvError 0x800403E8 "File Open" with
// "Canceled File Open" when the user cancels its question, "Aborted File Open" when the
// user aborts after an error.
[[nodiscard]] std::string FileOpen(Dialogs& dialogs, const std::string& fileTitle,
                                   const std::string& filter, const std::string& notExistMessage);

// The save dialog with its replace question. Returns the path to write, or an empty path
// when no file was chosen. Throws KvError 0x800403E9 "File Save" with "Canceled File
// Save" or "Aborted File Save" in the same cases as FileOpen.
[[nodiscard]] std::string FileSave(Dialogs& dialogs, const std::string& fileTitle,
                                   const std::string& filter, std::string existMessage);

// The caption after a file was opened or saved: BaseCaption, " - " and the file's bare
// name, or " - ..." and its last 60 characters when it is longer.
[[nodiscard]] std::string fileCaption(const std::string& baseCaption, const std::string& path);

} // namespace kv
