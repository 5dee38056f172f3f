// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/ui/edit_history.h"

#include <QUndoCommand>

namespace kv {

class EditHistory::Step : public QUndoCommand {
public:
    Step(EditHistory& history, const QString& label, EditSnapshot before, EditSnapshot after)
        : QUndoCommand(label), m_history(history), m_before(std::move(before)),
          m_after(std::move(after)) {}

    void undo() override { m_history.restore(m_before); }
    void redo() override {
        // The stack redoes a step as it is pushed; the change was made already.
        if (m_pushed) m_history.restore(m_after);
        m_pushed = true;
    }

private:
    EditHistory& m_history;
    EditSnapshot m_before;
    EditSnapshot m_after;
    bool m_pushed = false;
};

EditHistory::EditHistory(ProgramState& state, QObject* parent) : QObject(parent), m_state(state) {}

void EditHistory::record(const QString& label, const EditSnapshot& before) {
    EditSnapshot after = snapshot();
    if (after == before) return;
    m_stack.push(new Step(*this, label, before, std::move(after)));
}

void EditHistory::restore(const EditSnapshot& snapshot) {
    restoreSnapshot(m_state, snapshot);
    if (m_restored) m_restored();
}

} // namespace kv
