// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "table/program_state.h"

#include <cstdint>

namespace kv {

// The four upright sliders of the Module Parameters dialog. Position 0 (or 30) is at the
// top, and moving the thumb up raises the parameter.
enum class ParamSlider { Retard, RPMLimit, RearOffset, CrankRevs };

struct SliderRange {
    int min;
    int max;
    int smallStep;
    int largeStep;
};

[[nodiscard]] SliderRange sliderRange(ParamSlider slider);
// The parameter a slider position stands for: 10 - p, (129 - p) x 100, 5 - p, 3 - p.
[[nodiscard]] int parameterAt(ParamSlider slider, int position);
// The position that shows a parameter; the RPM limit rounds half to even. A parameter
// outside the slider's range gives a position outside it too.
[[nodiscard]] int positionFor(ParamSlider slider, int parameter);
[[nodiscard]] std::int16_t& parameterOf(ModuleParameters& p, ParamSlider slider);

// What the dialog's controls show once its opening steps have run.
struct ParamsView {
    bool rearOffsetShown = true;
    bool eepromChosen = true;
    bool fixedLimitTicked = false;
    bool kickStartTicked = false;
    bool retardTicked = false;
    int retardPosition = 10;
    int rpmLimitPosition = 99;
    int rearOffsetPosition = 5;
    int crankRevsPosition = 1;
};

// The opening steps after centring, in their order: the rear offset by table type, the
// advance table option, the RPM limit, kick start, retard, rear offset and cranking
// sliders. A cleared box resets its parameter (RPMLimit 3000, RetardVal 0); an EX or TEX
// table has no rear offset (RearOffset 0). Frames follow their boxes.
[[nodiscard]] ParamsView openModuleParameters(ProgramState& s);

// The control handlers. Each changes the parameters at once.
void setFixedRPMLimit(ModuleParameters& p, bool ticked); // cleared: RPMLimit 3000
void setRetardEnable(ModuleParameters& p, bool ticked);  // cleared: RetardVal 0
void setKickStart(ModuleParameters& p, bool ticked);     // CrankRevs stays
void chooseEEPROMTable(ModuleParameters& p);
// Warns first when the EEPROM table was chosen until now.
void chooseFLASHTables(ModuleParameters& p, Dialogs& dialogs);

inline constexpr const char* kFlashWarning =
    "Selecting this option disables any advance table that you upload to EEPROM.";

} // namespace kv
