// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"

#include <exception>
#include <new>
#include <string>

namespace kv {

enum class StepOutcome { Done, Ignored, Aborted };

// Runs one step of a command. An error raised inside it goes to the error prompt:
// Retry runs the step again, Ignore goes on with the next step, Abort leaves the
// command through its clean-up. Errors other than KvError are reported the same way.
template <class Step> StepOutcome runStep(Dialogs& dialogs, Step&& step) {
    for (;;) {
        Button answer;
        try {
            step();
            return StepOutcome::Done;
        } catch (const KvError& e) {
            answer = dialogs.ShowErrorPrompt(e);
        } catch (const std::bad_alloc&) {
            answer = dialogs.ShowErrorPrompt(KvError(7, "Kestrel Vanta", "Out of memory"));
        } catch (const std::exception& e) {
            answer = dialogs.ShowErrorPrompt(KvError(5, "Kestrel Vanta", e.what()));
        }
        if (answer == Button::Retry) continue;
        return answer == Button::Ignore ? StepOutcome::Ignored : StepOutcome::Aborted;
    }
}

// A command as a sequence of steps: `if (!steps.run([&] { ... })) return cleanup();`
// Once a step is aborted every later run() returns false without running.
class StepRunner {
public:
    explicit StepRunner(Dialogs& dialogs) : m_dialogs(dialogs) {}

    // True when the step completed or was ignored; false once the command is aborted.
    template <class Step> bool run(Step&& step) {
        if (m_aborted) return false;
        m_last = runStep(m_dialogs, std::forward<Step>(step));
        m_aborted = m_last == StepOutcome::Aborted;
        return !m_aborted;
    }
    [[nodiscard]] bool aborted() const { return m_aborted; }
    [[nodiscard]] StepOutcome last() const { return m_last; }

private:
    Dialogs& m_dialogs;
    bool m_aborted = false;
    StepOutcome m_last = StepOutcome::Done;
};

} // namespace kv
