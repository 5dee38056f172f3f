// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/module_params.h"

#include "table/numbers.h"

namespace kv {

SliderRange sliderRange(ParamSlider slider) {
    switch (slider) {
    case ParamSlider::RPMLimit:
        return {30, 99, 1, 10};
    case ParamSlider::CrankRevs:
        return {0, 2, 1, 2};
    default:
        return {0, 10, 1, 2};
    }
}

int parameterAt(ParamSlider slider, int p) {
    switch (slider) {
    case ParamSlider::Retard:
        return 10 - p;
    case ParamSlider::RPMLimit:
        return (129 - p) * 100;
    case ParamSlider::RearOffset:
        return 5 - p;
    case ParamSlider::CrankRevs:
        return 3 - p;
    }
    return 0;
}

int positionFor(ParamSlider slider, int v) {
    switch (slider) {
    case ParamSlider::Retard:
        return 10 - v;
    case ParamSlider::RPMLimit:
        return static_cast<int>(roundHalfEven(129.0 - v / 100.0));
    case ParamSlider::RearOffset:
        return 5 - v;
    case ParamSlider::CrankRevs:
        return 3 - v;
    }
    return 0;
}

std::int16_t& parameterOf(ModuleParameters& p, ParamSlider slider) {
    switch (slider) {
    case ParamSlider::Retard:
        return p.RetardVal;
    case ParamSlider::RPMLimit:
        return p.RPMLimit;
    case ParamSlider::RearOffset:
        return p.RearOffset;
    case ParamSlider::CrankRevs:
        return p.CrankRevs;
    }
    return p.RetardVal;
}

ParamsView openModuleParameters(ProgramState& s) {
    ModuleParameters& p = s.params;
    ParamsView v;
    v.rearOffsetShown = !s.exLimited();
    if (!v.rearOffsetShown) p.RearOffset = 0;
    v.eepromChosen = p.SelEEPROMTblFlag;
    v.fixedLimitTicked = p.FixedLimFlag;
    if (!p.FixedLimFlag) setFixedRPMLimit(p, false);
    v.rpmLimitPosition = positionFor(ParamSlider::RPMLimit, p.RPMLimit);
    v.kickStartTicked = p.KickStartFlag;
    v.retardTicked = p.RetardEnableFlag;
    if (!p.RetardEnableFlag) setRetardEnable(p, false);
    v.retardPosition = positionFor(ParamSlider::Retard, p.RetardVal);
    v.rearOffsetPosition = positionFor(ParamSlider::RearOffset, p.RearOffset);
    v.crankRevsPosition = positionFor(ParamSlider::CrankRevs, p.CrankRevs);
    return v;
}

void setFixedRPMLimit(ModuleParameters& p, bool ticked) {
    p.FixedLimFlag = ticked;
    if (!ticked) p.RPMLimit = 3000;
}

void setRetardEnable(ModuleParameters& p, bool ticked) {
    p.RetardEnableFlag = ticked;
    if (!ticked) p.RetardVal = 0;
}

void setKickStart(ModuleParameters& p, bool ticked) {
    p.KickStartFlag = ticked;
}

void chooseEEPROMTable(ModuleParameters& p) {
    p.SelEEPROMTblFlag = true;
}

void chooseFLASHTables(ModuleParameters& p, Dialogs& dialogs) {
    if (p.SelEEPROMTblFlag)
        dialogs.message(kFlashWarning, "Advance Table Options", Buttons::OK, Icon::Exclamation);
    p.SelEEPROMTblFlag = false;
}

} // namespace kv
