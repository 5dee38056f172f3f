// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/errors.h"

#include <optional>
#include <string>

namespace kv {

enum class Button { OK, Cancel, Abort, Retry, Ignore, Yes, No };
enum class Buttons { OK, OKCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };

// The answer of a message box that is closed without a button (its close box, Escape,
// or no one there to ask): OK, Abort, No or Cancel.
[[nodiscard]] constexpr Button cancellingAnswer(Buttons set) {
    switch (set) {
    case Buttons::OK:
        return Button::OK;
    case Buttons::AbortRetryIgnore:
        return Button::Abort;
    case Buttons::YesNo:
        return Button::No;
    default:
        return Button::Cancel;
    }
}

// Every prompt the program shows goes through this interface: the desktop shows real
// dialogs, the tests answer from a script, the command line answers for itself.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box; returns the button pressed.
    virtual Button message(const std::string& text, const std::string& title, Buttons buttons,
                           Icon icon) = 0;
    // An input box; nullopt when the user pressed Cancel.
    virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                             const std::string& defaultAnswer) = 0;
    // File dialogs with a "Description|pattern" filter; an empty path when none was chosen.
    virtual std::string openFile(const std::string& title, const std::string& filter) = 0;
    virtual std::string saveFile(const std::string& title, const std::string& filter) = 0;

    // The program-wide error prompt: the description, titled "Error", with Abort, Retry
    // and Ignore and the critical icon.
    virtual Button ShowErrorPrompt(const KvError& e) {
        return message(e.description(), "Error", Buttons::AbortRetryIgnore, Icon::Critical);
    }
};

} // namespace kv
