// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "table/shell.h"

#include <string>
#include <vector>

namespace kv::cli {

// Prompts without a window: every message goes to standard error, the error prompt
// answers Abort, a question answers its cancelling button, and no file is chosen.
class HeadlessDialogs : public Dialogs {
public:
    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& defaultAnswer) override;
    std::string openFile(const std::string& title, const std::string& filter) override;
    std::string saveFile(const std::string& title, const std::string& filter) override;

    [[nodiscard]] const std::vector<std::string>& messages() const { return m_messages; }
    // Messages that equal `text` go to standard output instead (a success report).
    void sendToStdout(std::string text) { m_toStdout.push_back(std::move(text)); }

private:
    std::vector<std::string> m_messages;
    std::vector<std::string> m_toStdout;
};

// A window that is never drawn: it keeps the state and whether a table is shown.
class HeadlessShell : public Shell {
public:
    explicit HeadlessShell(std::string programFolder) : m_folder(std::move(programFolder)) {}

    ProgramState& state() override { return m_state; }
    Dialogs& dialogs() override { return m_dialogs; }
    [[nodiscard]] HeadlessDialogs& headlessDialogs() { return m_dialogs; }
    std::string companionPath(const std::string& name) const override;
    bool tableShown() const override { return m_shown; }
    void setTableShown(bool shown) override { m_shown = shown; }
    std::string caption() const override { return m_caption; }
    void setCaption(const std::string& caption) override { m_caption = caption; }
    void processEvents() override {}
    bool loadChartTemplate() override;
    void liveTableChanged() override {}
    void hideValueLabel() override {}
    void resizeLayout() override {}
    void applyInteraction(const std::string&) override {}

private:
    std::string m_folder;
    ProgramState m_state;
    HeadlessDialogs m_dialogs;
    bool m_shown = false;
    std::string m_caption = m_state.BaseCaption;
};

// The folder the companion files are read from: the running executable's own, or the
// installed share folder beside it (see companionFolder).
[[nodiscard]] std::string executableFolder();

} // namespace kv::cli
