// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/save_table.h"

#include "base/step_runner.h"
#include "files/file_dialogs.h"
#include "files/table_file.h"

namespace kv {

bool SaveTable(Shell& shell) {
    StepRunner steps(shell.dialogs());

    // 1.
    std::string path;
    steps.run([&] { path = FileSave(shell.dialogs(), "Save File", kTableFilter, ""); });
    if (path.empty()) return false;

    // 2. Whatever the live store holds, written whole or not at all. A failed save keeps
    // the table open: closing it here could discard the very table that was not saved.
    if (!writeTableFile(path, shell.state())) {
        shell.dialogs().message("Error saving " + path, "File Open", Buttons::OK, Icon::Critical);
        return false;
    }

    // 3.
    shell.state().TableFile = path;
    shell.setCaption(fileCaption(shell.state().BaseCaption, path));
    return true;
}

} // namespace kv
