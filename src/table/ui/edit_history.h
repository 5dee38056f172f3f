// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/edit_snapshot.h"

#include <QObject>
#include <QUndoStack>
#include <functional>

namespace kv {

// The undo history of the open table. Every edit path records one step the same way:
// take a snapshot before the change, make it, then record(label, before). A step holds
// the state before and after; undo and redo put one of them back whole and let the views
// follow through `restored`.
class EditHistory : public QObject {
    Q_OBJECT
public:
    explicit EditHistory(ProgramState& state, QObject* parent = nullptr);
    // The stack empties itself as it goes; its owner, going too, must not hear of it.
    ~EditHistory() override { m_stack.blockSignals(true); }

    [[nodiscard]] EditSnapshot snapshot() const { return takeSnapshot(m_state); }
    // One step from `before` to the state as it is now; nothing when nothing changed. The
    // change is already made: recording does not apply it again.
    void record(const QString& label, const EditSnapshot& before);
    // Runs `change` and records it as one step.
    template <class Change> void recordAround(const QString& label, Change&& change) {
        const EditSnapshot before = snapshot();
        change();
        record(label, before);
    }
    // An empty history: the open table was closed or replaced.
    void clear() { m_stack.clear(); }

    [[nodiscard]] QUndoStack& stack() { return m_stack; }
    void setRestoredHandler(std::function<void()> handler) { m_restored = std::move(handler); }

private:
    class Step;
    void restore(const EditSnapshot& snapshot);

    ProgramState& m_state;
    QUndoStack m_stack;
    std::function<void()> m_restored;
};

} // namespace kv
