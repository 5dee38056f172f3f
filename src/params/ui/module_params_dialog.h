// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/module_params.h"
#include "table/shell.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class QSlider;

namespace kv {

// "Kestrel Vanta - Edit Module Parameters" (frmModParams): the module parameters on
// four upright sliders, check boxes and two option buttons. Every change goes into the
// program state at once; OK only closes. Controls carry their names as object names.
class ModuleParamsDialog : public QDialog {
    Q_OBJECT
public:
    ModuleParamsDialog(ProgramState& state, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    struct Slider {
        QGroupBox* frame = nullptr;
        QLabel* label = nullptr;
        QSlider* slider = nullptr;
    };
    // A frame at (l, t, w, h) twips with its value label and slider inside.
    Slider addSlider(ParamSlider which, QWidget* in, const char* name, const char* caption,
                     std::array<int, 4> frame, std::array<int, 4> label, std::array<int, 4> slider);
    [[nodiscard]] QRect twips(std::array<int, 4> r) const;
    void Form_Load();
    void sliderScrolled(ParamSlider which, int position);
    void showValue(ParamSlider which);
    // Puts a slider at a position without running its scroll handler.
    void placeSlider(ParamSlider which, int position);
    template <class F> void handle(F&& body);

    ProgramState& m_state;
    Dialogs& m_dialogs;
    std::array<Slider, 4> m_sliders;
    QRadioButton* m_optEEPROM = nullptr;
    QRadioButton* m_optFLASH = nullptr;
    QCheckBox* m_chkFixed = nullptr;
    QCheckBox* m_chkRetard = nullptr;
    QCheckBox* m_chkKick = nullptr;
};

// Edit Module Parameters as the Edit menu runs it: the dialog, modal, until it closes.
void runModuleParameters(Shell& shell, QWidget* parent);

} // namespace kv
