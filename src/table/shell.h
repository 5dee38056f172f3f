// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "table/program_state.h"

#include <string>

namespace kv {

// What a command needs of the window it runs in. The desktop main window is one; the
// command-line companion and the tests provide their own. Commands are written
// against this so that each reads like its steps and runs the same everywhere.
class Shell {
public:
    virtual ~Shell() = default;

    [[nodiscard]] virtual ProgramState& state() = 0;
    [[nodiscard]] virtual Dialogs& dialogs() = 0;
    // The path of a companion file: the program's folder, a separator and the name.
    [[nodiscard]] virtual std::string companionPath(const std::string& name) const = 0;

    // A table is open exactly while the chart and grid are shown.
    [[nodiscard]] virtual bool tableShown() const = 0;
    // Shows or hides the chart and the grid; showing makes cell (0, 0) current.
    virtual void setTableShown(bool shown) = 0;
    [[nodiscard]] virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // Lets the user interface handle pending events.
    virtual void processEvents() = 0;

    // Loads the chart's appearance from the chart template; false when it fails.
    virtual bool loadChartTemplate() = 0;
    // The views follow a bulk change of the live table (values and texts).
    virtual void liveTableChanged() = 0;
    virtual void hideValueLabel() = 0;
    // The window's resize handling, run after a table is shown (port steps included).
    virtual void resizeLayout() = 0;
    // Grid typing for RACE tables only; dragging stays available for every type.
    virtual void applyInteraction(const std::string& tableType) = 0;
};

} // namespace kv
