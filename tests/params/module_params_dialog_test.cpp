// SPDX-License-Identifier: GPL-3.0-or-later
// The Module Parameters dialog through its widgets, offscreen.
#include "params/module_params.h"
#include "params/ui/module_params_dialog.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

using namespace kv;
using P = ModuleParameters;

namespace {

struct Dialog {
    ProgramState s;
    kv::test::ScriptedDialogs script;
    std::unique_ptr<ModuleParamsDialog> d;

    Dialog(const char* type, const P& p) {
        s.TableType = type;
        s.params = p;
        d = std::make_unique<ModuleParamsDialog>(s, script);
        d->show();
    }
    template <class W> W* get(const QString& name) const { return d->findChild<W*>(name); }
    QSlider* slider(const char* name) const { return get<QSlider>(QString("sld") + name); }
    // Each slider as "position value" with "+" where its frame shows; then the boxes.
    std::string view() const {
        QString v;
        for (const char* n : {"Retard", "RPMLimit", "RearOffset", "CrankRevs"})
            v += QString("%1 %2%3 ")
                     .arg(slider(n)->value())
                     .arg(get<QLabel>(QString("lbl%1Val").arg(n))->text())
                     .arg(get<QGroupBox>(QString("fra") + n)->isVisible() ? "+" : "");
        for (const char* n :
             {"optFLASHAdvTable", "chkFixedRPMLimit", "chkRetardEnable", "chkKickStart"})
            v += get<QAbstractButton>(n)->isChecked() ? "x" : "-";
        return v.toStdString();
    }
    void click(const char* name) const { get<QAbstractButton>(name)->click(); }
};

} // namespace

TEST(ModuleParamsDialog, OpeningSteps) {
    // Halves of the RPM slider go to the even position; beyond its end the thumb stops
    // there and the value is kept; cleared boxes reset the limit and the retard; EX and
    // TEX tables have no rear offset. Parameters: rear offset, retard, cranking revs, RPM
    // limit and the flags FixedLim, SelEEPROMTbl, RetardEnable and KickStart.
    const std::tuple<const char*, P, const char*> cases[] = {
        {"RACE", {0, 0, 2, 5750, true}, "10 0 72 5750+ 5 0+ 1 2+ -x--"},
        {"RACE", {0, 0, 2, 12000, true}, "10 0 30 12000+ 5 0+ 1 2+ -x--"},
        {"RACE", kv::test::kParams, "3 7+ 67 6200+ 8 -3+ 0 3+ xxx-"},
        {"RACE", kv::test::kOtherParams, "8 2+ 99 3000 1 4+ 2 1 x-xx"},
        {"EX", {-3}, "10 0 99 3000 5 0 1 2+ ----"},
        {"TEX", {2}, "10 0 99 3000 5 0 1 2+ ----"}};
    for (const auto& [type, before, view] : cases)
        EXPECT_EQ(Dialog(type, before).view(), view) << type << " " << before.RPMLimit;
}

TEST(ModuleParamsDialog, EveryChangeTakesEffectAtOnceAndOKOnlyCloses) {
    Dialog w("RACE", {0, 0, 2, 5700, true});
    EXPECT_EQ(w.d->windowTitle().toStdString() + (w.d->isModal() ? " (modal)" : ""),
              "Kestrel Vanta - Edit Module Parameters (modal)");
    // Up raises the value: the RPM limit one step, the rear offset and cranking revs to
    // their ends.
    QTest::keyClick(w.slider("RPMLimit"), Qt::Key_Up);
    w.slider("RearOffset")->triggerAction(QAbstractSlider::SliderToMinimum);
    w.slider("CrankRevs")->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(w.view(), "10 0 71 5800+ 0 5+ 0 3+ -x--");
    // Clearing a box resets its parameter and hides its frame; kick start hides the
    // cranking frame and keeps the revolutions.
    w.click("chkFixedRPMLimit");
    w.click("chkRetardEnable");
    w.slider("Retard")->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(w.view().substr(0, 4), "8 2+");
    w.click("chkRetardEnable");
    w.click("chkKickStart");
    EXPECT_EQ(w.view(), "10 0 99 3000 0 5+ 0 3 ---x");

    // The FLASH warning, once for each change away from the EEPROM table.
    w.script.expectMessage(kFlashWarning, Button::OK).expectMessage(kFlashWarning, Button::OK);
    for (const char* option :
         {"optFLASHAdvTable", "optFLASHAdvTable", "optEEPROMAdvTable", "optFLASHAdvTable"})
        w.click(option);
    EXPECT_TRUE(w.script.done() && w.script.prompts().size() == 2);
    EXPECT_EQ(w.script.last().title, "Advance Table Options");

    const P kept = w.s.params;
    w.get<QPushButton>("cmdOK")->click();
    EXPECT_TRUE(!w.d->isVisible() && w.s.params == kept && !kept.SelEEPROMTblFlag);
}
