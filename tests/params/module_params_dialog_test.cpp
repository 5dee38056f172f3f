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
    QSlider* slider(const std::string& name) const { return get<QSlider>(name.c_str()); }
    QString label(const std::string& name) const { return get<QLabel>(name.c_str())->text(); }
    bool shown(const std::string& frame) const {
        return get<QGroupBox>(frame.c_str())->isVisible();
    }
    void click(const char* name) const {
        QAbstractButton* b = get<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
};

} // namespace

TEST(ModuleParamsDialog, OpeningSteps) {
    using P = ModuleParameters;
    struct Case {
        const char* type;
        P before, after;
        std::array<int, 4> positions; // retard, RPM limit, rear offset, cranking revs
        std::array<bool, 4> shown;    // their frames
    };
    const Case cases[] = {
        {"RACE",
         P{.RPMLimit = 5700, .FixedLimFlag = true},
         P{.RPMLimit = 5700, .FixedLimFlag = true},
         {10, 72, 5, 1},
         {false, true, true, true}},
        // 71.5 goes to the even position, up.
        {"RACE",
         P{.RPMLimit = 5750, .FixedLimFlag = true},
         P{.RPMLimit = 5750, .FixedLimFlag = true},
         {10, 72, 5, 1},
         {false, true, true, true}},
        // Beyond the slider: the thumb at its end, the value kept until the thumb moves.
        {"RACE",
         P{.RPMLimit = 12000, .FixedLimFlag = true},
         P{.RPMLimit = 12000, .FixedLimFlag = true},
         {10, 30, 5, 1},
         {false, true, true, true}},
        // Clear boxes reset the limit and the retard.
        {"RACE",
         P{.RearOffset = -3,
           .RetardVal = 7,
           .CrankRevs = 1,
           .RPMLimit = 6100,
           .SelEEPROMTblFlag = false,
           .KickStartFlag = true},
         P{.RearOffset = -3, .CrankRevs = 1, .SelEEPROMTblFlag = false, .KickStartFlag = true},
         {10, 99, 8, 2},
         {false, false, true, false}},
        {"RACE",
         P{.RearOffset = 4, .RetardVal = 7, .CrankRevs = 3, .RetardEnableFlag = true},
         P{.RearOffset = 4, .RetardVal = 7, .CrankRevs = 3, .RetardEnableFlag = true},
         {3, 99, 1, 0},
         {true, false, true, true}},
        {"EX", P{.RearOffset = -3}, P{}, {10, 99, 5, 1}, {false, false, false, true}},
        {"TEX", P{.RearOffset = 2}, P{}, {10, 99, 5, 1}, {false, false, false, true}},
    };
    const char* sliders[] = {"Retard", "RPMLimit", "RearOffset", "CrankRevs"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " RPMLimit " << c.before.RPMLimit);
        Dialog w;
        w.s.TableType = c.type;
        w.s.params = c.before;
        w.open();
        EXPECT_EQ(w.s.params, c.after);
        const int values[] = {c.after.RetardVal, c.after.RPMLimit, c.after.RearOffset,
                              c.after.CrankRevs};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string n = sliders[i];
            EXPECT_EQ(w.slider("sld" + n)->value(), c.positions[i]) << n;
            EXPECT_EQ(w.label("lbl" + n + "Val"), QString::number(values[i])) << n;
            EXPECT_EQ(w.shown("fra" + n), c.shown[i]) << n;
        }
        EXPECT_EQ(w.get<QRadioButton>("optFLASHAdvTable")->isChecked(), !c.after.SelEEPROMTblFlag);
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
    EXPECT_EQ(w.label("lblRPMLimitVal"), "5800");
    QTest::keyClick(rpm, Qt::Key_PageDown);
    EXPECT_EQ(w.s.RPMLimit, 4800);
    w.slider("sldRearOffset")->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w.s.RearOffset, 5);
    w.slider("sldRearOffset")->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(w.label("lblRearOffsetVal"), "-5");
    w.slider("sldCrankRevs")->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w.label("lblCrankRevsVal"), "3");

    // Clearing a box resets its parameter; ticking it again starts from there.
    w.click("chkFixedRPMLimit");
    EXPECT_EQ(rpm->value(), 99);
    EXPECT_EQ(w.label("lblRPMLimitVal"), "3000");
    EXPECT_FALSE(w.shown("fraRPMLimit"));
    w.click("chkFixedRPMLimit");
    EXPECT_TRUE(w.shown("fraRPMLimit"));
    w.click("chkRetardEnable");
    EXPECT_TRUE(w.shown("fraRetard"));
    w.slider("sldRetard")->triggerAction(QAbstractSlider::SliderPageStepSub);
    w.click("chkRetardEnable");
    EXPECT_EQ(w.label("lblRetardVal"), "0");
    EXPECT_FALSE(w.shown("fraRetard"));
    // Kick start hides the cranking frame and keeps the revolutions.
    w.click("chkKickStart");
    EXPECT_FALSE(w.shown("fraCrankRevs"));
    EXPECT_EQ(w.s.params, (ModuleParameters{.RearOffset = -5,
                                            .RetardVal = 0,
                                            .CrankRevs = 3,
                                            .RPMLimit = 3000,
                                            .FixedLimFlag = true,
                                            .KickStartFlag = true}));

    // The FLASH warning, once for each change away from the EEPROM table.
    w.script.expectMessage(kFlashWarning, Button::OK);
    w.click("optFLASHAdvTable");
    const kv::test::Prompt& warning = w.script.last();
    EXPECT_EQ(
        std::tie(warning.title, warning.icon, warning.buttons),
        std::make_tuple(std::string("Advance Table Options"), Icon::Exclamation, Buttons::OK));
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
