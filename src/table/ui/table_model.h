// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "table/program_state.h"

#include <QAbstractTableModel>
#include <functional>
#include <optional>

namespace kv {

class EditHistory;

// The grid's view of the one store: 3 rows by 17 columns, headings in row 0 and
// column 0, cell texts as the store holds them. Values never live in the view.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TableModel(ProgramState& state, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Data cells can be typed into (RACE tables) or not.
    void setEditable(bool editable) { m_editable = editable; }
    [[nodiscard]] bool editable() const { return m_editable; }

    // Checks a typed text before it is stored; returns false to refuse it. The grid
    // installs the check that shows the refusal.
    using EditCheck = std::function<bool(int row, int col, const std::string& text)>;
    void setEditCheck(EditCheck check) { m_check = std::move(check); }

    // Each accepted typed text is one step of this history (none: not recorded).
    void setHistory(EditHistory* history) { m_history = history; }

    // A table to compare with, from the file `name`: data cells whose value differs from
    // it are tinted and their tooltips give its value. Nothing: no comparison.
    void setReference(std::optional<Table16x2> reference, const QString& name = {});
    [[nodiscard]] const std::optional<Table16x2>& reference() const { return m_reference; }

    // The views follow changes made to the store.
    void storeChanged();
    void cellChanged(int row, int col);

Q_SIGNALS:
    // A typed text was accepted into (row, col) and its value set.
    void cellEdited(int row, int col);

private:
    ProgramState& m_state;
    bool m_editable = false;
    EditCheck m_check;
    EditHistory* m_history = nullptr;
    std::optional<Table16x2> m_reference;
    QString m_referenceName;
};

} // namespace kv
