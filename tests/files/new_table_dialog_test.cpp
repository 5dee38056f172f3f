// SPDX-License-Identifier: GPL-3.0-or-later
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
using NewTableDialogTest = kv::test::ShellTest;

// The menu entry shows the modal dialog only after the start-up steps; the slider's top
// is setting 9, Update shows a table and OK takes the setting.
TEST_F(NewTableDialogTest, SliderSetsTheSlopeAndButtonsBuildTheTable) {
    shell.setTableShown(true);
    script.expectMessage("Save advance table before closing file?", Button::Cancel);
    runNewTable(shell, nullptr);
    EXPECT_TRUE(shell.tableShown());

    script.expectMessage("Save advance table before closing file?", Button::No);
    script.expectInput("Enter table type (Race, EX, or Tarrow EX)", "EX");
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NewTableDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        sawDialog = true;
        EXPECT_EQ(dialog->windowTitle(), "Kestrel Vanta - New Table");
        QSlider* slider = dialog->slider();
        EXPECT_EQ(slider->orientation(), Qt::Vertical);
        EXPECT_EQ(dialog->valueLabel()->text(), " 0");
        // The thumb starts at the bottom: a click high on the groove pages it up.
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 3));
        EXPECT_EQ(dialog->valueLabel()->text(), " 2");
        slider->setValue(0);
        EXPECT_EQ(dialog->valueLabel()->text(), " 9");
        EXPECT_FALSE(shell.tableShown()); // nothing until Update or OK
        QTest::mouseClick(dialog->updateButton(), Qt::LeftButton);
        EXPECT_TRUE(shell.tableShown());
        EXPECT_EQ(s().live.values, shipped("Vanta_EX_Max.dat"));
        // The keyboard moves the thumb the way the arrow points.
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Down);
        EXPECT_EQ(dialog->valueLabel()->text(), " 8");
        slider->setValue(5);
        dialog->okButton()->click();
    });
    runNewTable(shell, nullptr);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(s().live.values,
              blendTemplates(shipped("Vanta_EX_Min.dat"), shipped("Vanta_EX_Max.dat"), 4));
}
