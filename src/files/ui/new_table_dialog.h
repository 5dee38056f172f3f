// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/new_table.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

namespace kv {

// "Kestrel Vanta - New Table": the advance slope switch setting on an upright slider,
// Update to try a setting, OK to take it. Works on a started NewTableSession.
class NewTableDialog : public QDialog {
    Q_OBJECT
public:
    NewTableDialog(NewTableSession& session, QWidget* parent);

    [[nodiscard]] QSlider* slider() const { return m_slider; }
    [[nodiscard]] QLabel* valueLabel() const { return m_value; }
    [[nodiscard]] QPushButton* updateButton() const { return m_update; }
    [[nodiscard]] QPushButton* okButton() const { return m_ok; }

private:
    void sliderMoved(int position);

    NewTableSession& m_session;
    QSlider* m_slider;
    QLabel* m_value;
    QPushButton* m_update;
    QPushButton* m_ok;
};

// The New Table command as the File menu runs it: the start-up steps, then the modal
// dialog centred on the screen.
void runNewTable(Shell& shell, QWidget* parent);

} // namespace kv
