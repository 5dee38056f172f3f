// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Writes `bytes` to `path` whole or not at all, and returns false when it did not. Every
// file the programs write goes through here: table files, reports, downloads. Each system
// has its own file (file_save_posix.cpp, file_save_win32.cpp); they keep the same promises.
//
// Everywhere:
// - The new contents are written in full, through to the disk, into a new file in the
//   target's folder, which then takes the target's place in one step. A write that fails
//   (a full disk, the file size limit) leaves the old file as it was.
// - Only a regular file is ever replaced. A folder, a device, or a file the user may not
//   write (read-only) is left alone and the save fails.
// - A kill leaves the old or the new file whole, and at worst a ".kv-save-<pid>-<n>" file
//   beside it, which the next save into that folder removes once that process is gone.
//
// On POSIX systems:
// - A link is followed, link after link: the file it points to is replaced, or created
//   when it does not exist yet, and the link stays. A loop of links is refused.
// - FIFOs and sockets are not replaced either.
// - The new file is made unnamed in the target's folder (O_TMPFILE) and gets its short name
//   only to be renamed over the target, so any name the system takes can be saved. The next
//   save also removes the ".<name>.kv<pid>-<n>" files earlier versions could leave.
// - It keeps the old file's mode, and its owner and group as far as the user may set them.
// - A file the user may write but not replace (its folder is closed to the user, or sticky
//   and the file another user's) is written in place, once the space has been reserved.
// - Where unnamed files cannot be had (the file system has none, or /proc is missing) the
//   new file has the short name from the start.
//
// On Windows:
// - The swap is ReplaceFileW, which keeps the old file's attributes, security and creation
//   time; where it fails, a rename written through (MoveFileExW).
// - The names of devices in every folder (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or
//   without an extension), names ending in a dot or blank (the system would drop it) and
//   names with a colon (a stream of another file) are refused, as is the \\.\ namespace.
// - Paths past the old 260-character limit are saved. A link to an existing file is
//   followed; a link to nothing is refused.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace kv
