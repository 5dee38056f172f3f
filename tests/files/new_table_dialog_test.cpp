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

namespace {
const char* kTypeQuestion = "Enter table type (Race, EX, or Tarrow EX)";
} // namespace

TEST_F(NewTableDialogTest, SliderTopGivesNineAndButtonsBuildTheTable) {
    script.expectInput(kTypeQuestion, "EX");
    NewTableSession session(shell);
    ASSERT_TRUE(session.start());
    NewTableDialog dialog(session, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    EXPECT_EQ(dialog.windowTitle(), "Kestrel Vanta - New Table");
    EXPECT_TRUE(dialog.isModal());
    QSlider* slider = dialog.slider();
    EXPECT_EQ(slider->orientation(), Qt::Vertical);
    EXPECT_EQ(slider->value(), 9);
    EXPECT_EQ(dialog.valueLabel()->text(), " 0");
    // The thumb starts at the bottom: a click high on the groove pages it up, toward 9.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, 3));
    EXPECT_EQ(slider->value(), 7);
    EXPECT_EQ(dialog.valueLabel()->text(), " 2");
    slider->setValue(0);
    EXPECT_EQ(dialog.valueLabel()->text(), " 9");
    EXPECT_FALSE(shell.tableShown()); // nothing until Update or OK

    QTest::mouseClick(dialog.updateButton(), Qt::LeftButton);
    EXPECT_TRUE(shell.tableShown());
    EXPECT_EQ(s().live.values, shipped("Vanta_EX_Max.dat"));
    EXPECT_TRUE(dialog.isVisible());

    // The keyboard moves the thumb the way the arrow points.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Down);
    EXPECT_EQ(dialog.valueLabel()->text(), " 8");
    slider->setValue(5);
    EXPECT_EQ(dialog.valueLabel()->text(), " 4");
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(s().live.values,
              blendTemplates(shipped("Vanta_EX_Min.dat"), shipped("Vanta_EX_Max.dat"), 4));
}

TEST_F(NewTableDialogTest, MenuEntryShowsTheDialogOnlyAfterTheStartUpSteps) {
    // Cancel at the save question: no dialog, the table stays.
    shell.setTableShown(true);
    script.expectMessage("Save advance table before closing file?", Button::Cancel);
    runNewTable(shell, nullptr);
    EXPECT_TRUE(shell.tableShown());

    // Otherwise the modal dialog opens; OK there builds the bottom-end table.
    script.expectMessage("Save advance table before closing file?", Button::No);
    script.expectInput(kTypeQuestion, "race");
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NewTableDialog*>(QApplication::activeModalWidget());
        sawDialog = dialog != nullptr;
        if (dialog) dialog->okButton()->click();
    });
    runNewTable(shell, nullptr);
    EXPECT_TRUE(sawDialog);
    EXPECT_TRUE(shell.tableShown());
    EXPECT_EQ(s().live.values, shipped("Vanta_Min.dat"));
}
