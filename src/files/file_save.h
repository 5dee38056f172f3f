// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Writes `bytes` to `path` whole or not at all, and returns false when it did not. Every
// file the programs write goes through here: table files, reports, downloads.
//
// - A link is followed, link after link: the file it points to is replaced, or created
//   when it does not exist yet, and the link stays. A loop of links is refused.
// - Only a regular file is ever replaced. A folder, FIFO, device or socket, or a file the
//   user may not write, is left alone and the save fails.
// - The new file is made unnamed in the target's folder (O_TMPFILE) and gets a short name
//   only to be renamed over the target, so any name the system takes can be saved and a
//   kill leaves nothing behind but, at worst, a ".kv-save-<pid>-<n>" file; the next save
//   into that folder removes such files of processes that are gone (and the
//   ".<name>.kv<pid>-<n>" files earlier versions could leave beside the target).
// - It keeps the old file's mode, and its owner and group as far as the user may set them.
// - A file the user may write but not replace (its folder is closed to the user, or sticky
//   and the file another user's) is written in place, once the space has been reserved.
// - Where unnamed files cannot be had (the file system has none, or /proc is missing) the
//   new file has the short name from the start.
// - A write that fails (a full disk, the file size limit) leaves the old file as it was.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view bytes);

} // namespace kv
