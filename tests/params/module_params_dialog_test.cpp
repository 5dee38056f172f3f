// SPDX-License-Identifier: GPL-3.0-or-later
// The Module Parameters dialog through its widgets, offscreen.
#include "params/module_params.h"
#include "params/ui/module_params_dialog.h"
#include "support/scripted_dialogs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;

namespace {

struct Dialog {
    ProgramState s;
    ScriptedDialogs script;
    std::unique_ptr<ModuleParamsDialog> d;

    void open() {
        d = std::make_unique<ModuleParamsDialog>(s, script);
        d->show();
    }
    template <class W> W* get(const char* name) const {
        W* w = d->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QSlider* slider(const char* name) const { return get<QSlider>(name); }
    QString label(const char* name) const { return get<QLabel>(name)->text(); }
    bool shown(const char* frame) const { return get<QGroupBox>(frame)->isVisible(); }
    void click(const char* name) const {
        QAbstractButton* b = get<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
};

} // namespace

TEST(ModuleParamsDialog, OpeningSteps) {
    struct Case {
        const char* name;
        const char* type;
        void (*set)(ModuleParameters&);
        ModuleParameters after; // the parameters once the dialog is open
        int rpmPosition, retardPosition, rearPosition, crankPosition;
        bool rpmFrame, retardFrame, rearFrame, crankFrame, flashChosen;
    };
    const auto params = [](int rear, int retard, int crank, int rpm, bool fixed, bool eeprom,
                           bool retardOn, bool kick) {
        return ModuleParameters{std::int16_t(rear),
                                std::int16_t(retard),
                                std::int16_t(crank),
                                std::int16_t(rpm),
                                fixed,
                                eeprom,
                                retardOn,
                                kick};
    };
    const Case cases[] = {
        {"fixed limit 5700", "RACE",
         [](ModuleParameters& p) {
             p = {0, 0, 2, 5700, true};
         },
         params(0, 0, 2, 5700, true, true, false, false), 72, 10, 5, 1, true, false, true, true,
         false},
        {"5650 sits at 72.5 and goes to the even position", "RACE",
         [](ModuleParameters& p) {
             p = {0, 0, 2, 5650, true};
         },
         params(0, 0, 2, 5650, true, true, false, false), 72, 10, 5, 1, true, false, true, true,
         false},
        {"clear boxes reset the limit and the retard", "RACE",
         [](ModuleParameters& p) { p = {-3, 7, 1, 6100, false, false, false, true}; },
         params(-3, 0, 1, 3000, false, false, false, true), 99, 10, 8, 2, false, false, true, false,
         true},
        {"retard enabled", "RACE",
         [](ModuleParameters& p) { p = {4, 7, 3, 3000, false, true, true, false}; },
         params(4, 7, 3, 3000, false, true, true, false), 99, 3, 1, 0, false, true, true, true,
         false},
        {"EX has no rear offset", "EX", [](ModuleParameters& p) { p.RearOffset = -3; },
         params(0, 0, 2, 3000, false, true, false, false), 99, 10, 5, 1, false, false, false, true,
         false},
        {"TEX neither", "TEX", [](ModuleParameters& p) { p.RearOffset = 2; },
         params(0, 0, 2, 3000, false, true, false, false), 99, 10, 5, 1, false, false, false, true,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dialog w;
        w.s.TableType = c.type;
        c.set(w.s.params);
        w.open();
        EXPECT_EQ(w.s.params, c.after);
        EXPECT_EQ(w.slider("sldRPMLimit")->value(), c.rpmPosition);
        EXPECT_EQ(w.slider("sldRetard")->value(), c.retardPosition);
        EXPECT_EQ(w.slider("sldRearOffset")->value(), c.rearPosition);
        EXPECT_EQ(w.slider("sldCrankRevs")->value(), c.crankPosition);
        EXPECT_EQ(w.label("lblRPMLimitVal"), QString::number(c.after.RPMLimit));
        EXPECT_EQ(w.label("lblRetardVal"), QString::number(c.after.RetardVal));
        EXPECT_EQ(w.label("lblRearOffsetVal"), QString::number(c.after.RearOffset));
        EXPECT_EQ(w.label("lblCrankRevsVal"), QString::number(c.after.CrankRevs));
        EXPECT_EQ(w.shown("fraRPMLimit"), c.rpmFrame);
        EXPECT_EQ(w.shown("fraRetard"), c.retardFrame);
        EXPECT_EQ(w.shown("fraRearOffset"), c.rearFrame);
        EXPECT_EQ(w.shown("fraCrankRevs"), c.crankFrame);
        EXPECT_EQ(w.get<QRadioButton>("optFLASHAdvTable")->isChecked(), c.flashChosen);
        EXPECT_EQ(w.get<QCheckBox>("chkFixedRPMLimit")->isChecked(), c.after.FixedLimFlag);
        EXPECT_EQ(w.get<QCheckBox>("chkRetardEnable")->isChecked(), c.after.RetardEnableFlag);
        EXPECT_EQ(w.get<QCheckBox>("chkKickStart")->isChecked(), c.after.KickStartFlag);
        EXPECT_TRUE(w.script.prompts().empty());
    }
}

TEST(ModuleParamsDialog, EveryChangeTakesEffectAtOnceAndOKOnlyCloses) {
    Dialog w;
    w.s.params = {0, 0, 2, 5700, true};
    w.open();
    EXPECT_EQ(w.d->windowTitle(), "Kestrel Vanta - Edit Module Parameters");
    EXPECT_TRUE(w.d->isModal());

    // Up raises the value: the RPM limit one step, the rear offset to either end.
    QSlider* rpm = w.slider("sldRPMLimit");
    rpm->setFocus();
    QTest::keyClick(rpm, Qt::Key_Up);
    EXPECT_EQ(w.s.RPMLimit, 5800);
    EXPECT_EQ(w.label("lblRPMLimitVal"), "5800");
    QTest::keyClick(rpm, Qt::Key_PageDown);
    EXPECT_EQ(w.s.RPMLimit, 4800);
    QSlider* rear = w.slider("sldRearOffset");
    rear->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w.s.RearOffset, 5);
    rear->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(w.s.RearOffset, -5);
    EXPECT_EQ(w.label("lblRearOffsetVal"), "-5");
    w.slider("sldCrankRevs")->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w.s.CrankRevs, 3);

    // Clearing a box resets its parameter; ticking it again starts from there.
    w.click("chkFixedRPMLimit");
    EXPECT_FALSE(w.s.FixedLimFlag);
    EXPECT_EQ(w.s.RPMLimit, 3000);
    EXPECT_EQ(rpm->value(), 99);
    EXPECT_EQ(w.label("lblRPMLimitVal"), "3000");
    EXPECT_FALSE(w.shown("fraRPMLimit"));
    w.click("chkFixedRPMLimit");
    EXPECT_TRUE(w.s.FixedLimFlag);
    EXPECT_EQ(w.s.RPMLimit, 3000);
    EXPECT_TRUE(w.shown("fraRPMLimit"));

    w.click("chkRetardEnable");
    EXPECT_TRUE(w.shown("fraRetard"));
    w.slider("sldRetard")->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(w.s.RetardVal, 2);
    w.click("chkRetardEnable");
    EXPECT_EQ(w.s.RetardVal, 0);
    EXPECT_EQ(w.label("lblRetardVal"), "0");
    EXPECT_FALSE(w.shown("fraRetard"));

    // Kick start hides the cranking frame and keeps the revolutions.
    w.click("chkKickStart");
    EXPECT_TRUE(w.s.KickStartFlag);
    EXPECT_FALSE(w.shown("fraCrankRevs"));
    EXPECT_EQ(w.s.CrankRevs, 3);
    w.click("chkKickStart");
    EXPECT_TRUE(w.shown("fraCrankRevs"));

    // The FLASH warning, once for each change away from the EEPROM table.
    w.script.expectMessage(kFlashWarning, Button::OK);
    w.click("optFLASHAdvTable");
    EXPECT_EQ(w.script.last().title, "Advance Table Options");
    EXPECT_EQ(w.script.last().icon, Icon::Exclamation);
    EXPECT_EQ(w.script.last().buttons, Buttons::OK);
    EXPECT_FALSE(w.s.SelEEPROMTblFlag);
    w.click("optFLASHAdvTable");
    w.click("optEEPROMAdvTable");
    EXPECT_TRUE(w.s.SelEEPROMTblFlag);
    w.script.expectMessage(kFlashWarning, Button::OK);
    w.click("optFLASHAdvTable");
    EXPECT_EQ(w.script.prompts().size(), 2u);
    EXPECT_TRUE(w.script.done());

    const ModuleParameters kept = w.s.params;
    w.get<QPushButton>("cmdOK")->click();
    EXPECT_FALSE(w.d->isVisible());
    EXPECT_EQ(w.s.params, kept);
}

TEST(ModuleParamsDialog, AValueBeyondItsSliderStaysUntilTheSliderMoves) {
    Dialog w;
    w.s.params = {0, 0, 2, 12000, true};
    w.open();
    EXPECT_EQ(w.s.RPMLimit, 12000);
    EXPECT_EQ(w.slider("sldRPMLimit")->value(), 30);
    EXPECT_EQ(w.label("lblRPMLimitVal"), "12000");
    w.slider("sldRPMLimit")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(w.s.RPMLimit, 9800);
}
