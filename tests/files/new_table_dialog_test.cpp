// SPDX-License-Identifier: GPL-3.0-or-later
// New Table as the File menu runs it: the start-up steps, then the modal slope dialog.
#include "files/curve_data.h"
#include "files/ui/new_table_dialog.h"
#include "support/fake_shell.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::curves;
using NewTableDialogTest = kv::test::ShellTest;

// The type question repeats until answered; the slider's top is setting 9, a blend nine
// ninths of the way from the minimum template to the maximum, held from 0 to 40.
TEST_F(NewTableDialogTest, TypeQuestionThenTheSliderBlendsTheTemplates) {
    const char* question = "Enter table type (Race, EX, or Tarrow EX)";
    Table16x2 low = curves(10, 10, 0.5), high = curves(19, 19, 0.5); // every point its own
    low(1, kWot) = -6;
    high(1, kWot) = 48;
    kv::test::writeAll(dir.file("Tarrow_EX_Min.dat"), curveDataText(low));
    kv::test::writeAll(dir.file("Tarrow_EX_Max.dat"), curveDataText(high));
    s().RearOffset = 3;
    shell.setTableShown(true);
    // Cancel at the save question, or Yes whose save is cancelled: no dialog, the table stays.
    script.expectMessage("Save advance table before closing file?", Button::Cancel);
    script.expectMessage("Save advance table before closing file?", Button::Yes).expectSaveFile("");
    runNewTable(shell, nullptr);
    runNewTable(shell, nullptr);
    EXPECT_TRUE(shell.tableShown());

    // Blanks are not trimmed; Cancel (no answer) asks again.
    script.expectMessage("Save advance table before closing file?", Button::No);
    for (const char* refused : {"Tarrow", "EX ", "", "TEX", "tarrow  ex"})
        script.expectInput(question, refused);
    script.expectInput(question, std::nullopt).expectInput(question, "tarrow ex");
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NewTableDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        sawDialog = true;
        EXPECT_TRUE(s().TableType == "TEX" && s().ExMaxTable == high && s().RearOffset == 0);
        EXPECT_FALSE(shell.tableShown()); // nothing until Update or OK
        QSlider* slider = dialog->slider();
        EXPECT_TRUE(dialog->valueLabel()->text() == " 0" && dialog->focusWidget() == slider);
        // The thumb starts at the bottom: a click high on the groove pages it up.
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 3));
        EXPECT_EQ(dialog->valueLabel()->text(), " 2");
        for (int setting = 0; setting <= 9; ++setting) {
            slider->setValue(9 - setting);
            QTest::mouseClick(dialog->updateButton(), Qt::LeftButton);
            EXPECT_EQ(s().live.value(kLow, 4), 12 + setting);
            EXPECT_DOUBLE_EQ(s().live.value(kWot, 1),
                             std::clamp(((9 - setting) * -6 + setting * 48) / 9.0, 0.0, 40.0));
        }
        EXPECT_TRUE(dialog->valueLabel()->text() == " 9" && shell.tableShown());
        // The keyboard moves the thumb the way the arrow points.
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Down);
        EXPECT_EQ(dialog->valueLabel()->text(), " 8");
        slider->setValue(5);
        dialog->okButton()->click();
    });
    runNewTable(shell, nullptr);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(s().live.values, blendTemplates(low, high, 4));
}
