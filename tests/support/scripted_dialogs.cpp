// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {
const char* kindName(PromptKind k) {
    static const char* const names[] = {"message", "input box", "open dialog", "save dialog"};
    return names[static_cast<int>(k)];
}
} // namespace

ScriptedDialogs::Step ScriptedDialogs::next(PromptKind kind, const std::string& text) {
    if (m_script.empty()) {
        // Answering on would leave the code under test to loop on a prompt it keeps
        // showing; the test stops here instead.
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": \"" << text << "\"";
        throw ScriptRanOut{};
    }
    Step s = m_script.front();
    m_script.pop_front();
    if (s.kind != kind) {
        ADD_FAILURE() << "expected " << kindName(s.kind) << " \"" << s.text << "\", got "
                      << kindName(kind) << " \"" << text << "\"";
    } else if (!s.text.empty() && s.text != text) {
        ADD_FAILURE() << "expected " << kindName(kind) << " \"" << s.text << "\", got \"" << text
                      << "\"";
    }
    return s;
}

Button ScriptedDialogs::message(const std::string& text, const std::string& title, Buttons buttons,
                                Icon icon) {
    m_prompts.push_back({PromptKind::Message, text, title, buttons, icon, {}});
    const Step s = next(PromptKind::Message, text);
    if (s.errorPrompt && (title != "Error" || buttons != Buttons::AbortRetryIgnore))
        ADD_FAILURE() << "expected the error prompt for \"" << text << "\"";
    return s.button;
}

std::optional<std::string> ScriptedDialogs::input(const std::string& prompt,
                                                  const std::string& title,
                                                  const std::string& defaultAnswer) {
    m_prompts.push_back(
        {PromptKind::Input, prompt, title, Buttons::OKCancel, Icon::None, defaultAnswer});
    return next(PromptKind::Input, prompt).answer;
}

std::string ScriptedDialogs::file(PromptKind kind, const std::string& title,
                                  const std::string& filter) {
    m_prompts.push_back({kind, title, title, Buttons::OKCancel, Icon::None, filter});
    return next(kind, {}).answer.value_or("");
}
std::string ScriptedDialogs::openFile(const std::string& title, const std::string& filter) {
    return file(PromptKind::OpenFile, title, filter);
}
std::string ScriptedDialogs::saveFile(const std::string& title, const std::string& filter) {
    return file(PromptKind::SaveFile, title, filter);
}

void ScriptedDialogs::clear() {
    m_script.clear();
    m_prompts.clear();
}

} // namespace kv::test
