// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/shell.h"
#include "files/curve_data.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace kv::test {

// A shell without a window, for commands tested as plain logic.
class FakeShell : public Shell {
public:
    explicit FakeShell(std::string folder = KV_DATA_DIR) : m_folder(std::move(folder)) {
        m_caption = m_state.BaseCaption;
    }

    ProgramState& state() override { return m_state; }
    Dialogs& dialogs() override { return m_dialogs; }
    std::string companionPath(const std::string& name) const override {
        return (std::filesystem::path(m_folder) / name).string();
    }
    bool tableShown() const override { return m_shown; }
    void setTableShown(bool shown) override { m_shown = shown; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& c) override { m_caption = c; }
    void processEvents() override {}
    bool loadChartTemplate() override {
        std::error_code ec;
        return std::filesystem::is_regular_file(companionPath("Vanta_Chart.oc2"), ec);
    }
    void liveTableChanged() override {}
    void hideValueLabel() override {}
    void resizeLayout() override {}
    void applyInteraction(const std::string& type) override { interaction = type; }

    std::string interaction; // the table type the window was last set up for

private:
    std::string m_folder;
    ProgramState m_state;
    ScriptedDialogs m_dialogs;
    bool m_shown = false;
    std::string m_caption;
};

// A program folder holding the shipped companion files, and a shell over it.
class ShellTest : public ::testing::Test {
protected:
    ShellTest() : shell(dir.path().string()) { dir.copyAllData(); }
    [[nodiscard]] Table16x2 shipped(const char* name) const {
        return readCurveFile(dir.file(name)).value();
    }
    ProgramState& s() { return shell.state(); }

    TempDir dir;
    FakeShell shell;
    ScriptedDialogs& script = static_cast<ScriptedDialogs&>(shell.dialogs());
};

} // namespace kv::test
