// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

enum class PromptKind { Message, Input, OpenFile, SaveFile };

// One prompt as it was shown.
struct Prompt {
    PromptKind kind{};
    std::string text; // message text, input prompt, or file dialog title
    std::string title;
    Buttons buttons{};
    Icon icon{};
    std::string filter;
};

// Thrown at a prompt after the script's last answer. It derives from nothing, so that no
// handler of the program catches it and the test ends at once.
struct ScriptRanOut {};

// Answers prompts from a script and records every one. A prompt the script did not
// expect, or one whose text differs from the expected, fails the running test; a prompt
// after the script's end also ends it (ScriptRanOut).
class ScriptedDialogs : public Dialogs {
public:
    // `text` empty: any text is accepted.
    ScriptedDialogs& expectMessage(std::string text, Button answer) {
        return push({PromptKind::Message, std::move(text), answer, {}, false});
    }
    ScriptedDialogs& expectError(std::string description, Button answer) { // the error prompt
        return push({PromptKind::Message, std::move(description), answer, {}, true});
    }
    ScriptedDialogs& expectInput(std::string prompt, std::optional<std::string> answer) {
        return push({PromptKind::Input, std::move(prompt), Button::OK, std::move(answer)});
    }
    ScriptedDialogs& expectOpenFile(std::string path) {
        return push({PromptKind::OpenFile, {}, Button::OK, std::move(path)});
    }
    ScriptedDialogs& expectSaveFile(std::string path) {
        return push({PromptKind::SaveFile, {}, Button::OK, std::move(path)});
    }

    Button message(const std::string& text, const std::string& title, Buttons buttons,
                   Icon icon) override;
    std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                     const std::string& defaultAnswer) override;
    std::string openFile(const std::string& title, const std::string& filter) override;
    std::string saveFile(const std::string& title, const std::string& filter) override;

    [[nodiscard]] const std::vector<Prompt>& prompts() const { return m_prompts; }
    [[nodiscard]] const Prompt& last() const { return m_prompts.back(); }
    [[nodiscard]] bool done() const { return m_script.empty(); }
    void clear();

private:
    struct Step {
        PromptKind kind;
        std::string text;
        Button button = Button::OK;
        std::optional<std::string> answer;
        bool errorPrompt = false;
    };
    ScriptedDialogs& push(Step s) {
        m_script.push_back(std::move(s));
        return *this;
    }
    Step next(PromptKind kind, const std::string& text);
    std::string file(PromptKind kind, const std::string& title, const std::string& filter);

    std::deque<Step> m_script;
    std::vector<Prompt> m_prompts;
};

} // namespace kv::test
