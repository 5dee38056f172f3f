// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and Redo of each kind of edit, and Compare With, through the real window.
#include "files/show_table.h"
#include "files/table_file.h"
#include "table/edit_snapshot.h"
#include "table/ui/edit_history.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <set>

using namespace kv;
using kv::test::chartMouse;

namespace {

class History : public kv::test::WindowTest {
protected:
    QUndoStack& stack() { return w->history().stack(); }
    bool marked(int row, int col) {
        return model()->data(model()->index(row, col), Qt::BackgroundRole).isValid();
    }

    // A RACE table of values no single decimal shows, written to `name` and opened.
    std::string open(const std::string& name) {
        Table16x2 t;
        for (int p = 1; p <= kPoints; ++p) {
            t(p, kWot) = 9 + p / 3.0;
            t(p, kLow) = 5 + p / 7.0;
        }
        kv::test::writeAll(dir.file(name), tableFileText(t, kv::test::kParams, "RACE"));
        if (w->tableShown()) dialogs.expectMessage("", Button::No); // no save first
        dialogs.expectOpenFile(dir.file(name));
        trigger("mnuOpenTable");
        EXPECT_TRUE(dialogs.done() && w->tableShown());
        return dir.file(name);
    }
};

} // namespace

TEST_F(History, EachKindOfEditIsOneStepThatUndoAndRedoReturnExactly) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"typed", [&] { ASSERT_TRUE(model()->setData(model()->index(1, 4), "12.345")); }},
        {"dragged", [&] { kv::test::chartDrag(*w, kWot, 6, 3, 5); }},
        {"pasted",
         [&] {
             w->grid()->setCurrentCell(1, 1);
             QTest::keyClick(w->grid(), Qt::Key_C, Qt::ControlModifier);
             w->grid()->setCurrentCell(2, 8);
             trigger("mnuPopUpPaste");
         }},
        {"modified",
         [&] {
             w->grid()->setCurrentCell(1, kPoints);
             dialogs.expectInput("", "+5");
             trigger("mnuPopUpModify");
         }},
        {"module parameters", // through the real dialog: tick kick start, then OK
         [&] {
             QTimer::singleShot(0, [] {
                 QWidget* d = QApplication::activeModalWidget();
                 ASSERT_NE(d, nullptr);
                 d->findChild<QCheckBox*>(QStringLiteral("chkKickStart"))->click();
                 d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
             });
             trigger("mnuEditModParams");
             QApplication::setActiveWindow(w.get()); // as the window manager would
         }},
    };
    for (const auto& [name, edit] : cases) {
        open("t.tbl");
        EXPECT_FALSE(w->action("mnuUndo")->isEnabled()) << name << ": Open starts afresh";
        // A typed text kept as typed, which only an exact restore gives back.
        ASSERT_TRUE(model()->setData(model()->index(2, 6), "11.11"));
        stack().clear();
        const EditSnapshot before = takeSnapshot(s());
        edit();
        const EditSnapshot after = takeSnapshot(s());
        ASSERT_FALSE(after == before) << name;
        EXPECT_EQ(stack().count(), 1) << name;
        // Undo and Redo by their keys and by their menu items.
        const auto expectState = [&](const EditSnapshot& want, const char* what) {
            EXPECT_TRUE(takeSnapshot(s()).params == want.params) << name << what;
            kv::test::expectTable(*w, want.live, name + std::string(what));
        };
        QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
        expectState(before, " undone by the key");
        EXPECT_FALSE(w->action("mnuUndo")->isEnabled()) << name;
        trigger("mnuRedo");
        expectState(after, " redone by the menu");
        trigger("mnuUndo");
        expectState(before, " undone by the menu");
        QTest::keyClick(w->grid(), Qt::Key_Y, Qt::ControlModifier);
        expectState(after, " redone by the key");
    }
    w->editModuleParameters([] {}); // the dialog closed with nothing changed: no step
    EXPECT_EQ(stack().count(), 1);
}

// Undo under a drag would take back the step before it while the drag goes on.
TEST_F(History, UndoWaitsForTheDragUnderWay) {
    open("t.tbl");
    kv::test::chartDrag(*w, kWot, 3, 3);
    const double first = s().live.value(kWot, 3);
    const QPoint at = w->chart()->pointPosition(kWot, 5).toPoint();
    chartMouse(*w, QEvent::MouseButtonPress, at);
    chartMouse(*w, QEvent::MouseMove, at - QPoint(0, 6));
    trigger("mnuUndo");
    chartMouse(*w, QEvent::MouseButtonRelease, at - QPoint(0, 6));
    EXPECT_EQ(s().live.value(kWot, 3), first);
    EXPECT_TRUE(stack().count() == 2 && stack().index() == 2);
}

TEST_F(History, CompareMarksTheDifferencesUntilEndedOrTheTableCloses) {
    const std::string good = open("good.tbl");
    open("mine.tbl"); // the same values
    // Low at 0 and at 7500 RPM, WOT at 2500 RPM (from 11) changed.
    const std::set<std::pair<int, int>> changed = {{1, 1}, {2, 6}, {1, kPoints}};
    for (const auto& [r, c] : changed)
        ASSERT_TRUE(model()->setData(model()->index(r, c), "30"));
    QAction* compare = w->action("mnuCompareWith");
    dialogs.expectOpenFile(good);
    compare->trigger();
    ASSERT_TRUE(compare->isChecked() && w->chart()->referenceSeries(kWot));
    EXPECT_EQ(w->chart()->referenceSeries(kWot)->name(), "good.tbl WOT");
    EXPECT_TRUE(w->chart()->referenceSeries(kWot)->at(5).y() == 9 + 6 / 3.0 &&
                w->chart()->referenceSeries(kLow)->at(5).y() == 5 + 6 / 7.0);
    for (int r = 1; r <= 2; ++r) // only the changed cells
        for (int c = 1; c <= kPoints; ++c)
            EXPECT_EQ(marked(r, c), changed.contains({r, c})) << r << "," << c;
    EXPECT_EQ(model()->data(model()->index(2, 6), Qt::ToolTipRole).toString(), "good.tbl: 11.0");
    auto* status = w->findChild<QLabel*>("lblCompare");
    EXPECT_EQ(status->text(), "Compared with good.tbl; module parameters the same");

    compare->trigger(); // chosen again, the comparison ends
    EXPECT_FALSE(compare->isChecked() || marked(2, 6));
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);
    kv::test::writeAll(dir.file("bad.tbl"), "no table"); // refused: nothing to compare with
    dialogs.expectOpenFile(dir.file("bad.tbl"))
        .expectMessage("Error loading " + dir.file("bad.tbl"), Button::OK);
    compare->trigger();
    EXPECT_FALSE(compare->isChecked() || marked(2, 6) || !status->text().isEmpty());
    // A table of another type is said to be so once; its differing parameters are listed.
    ModuleParameters retard = kv::test::kParams;
    retard.RetardEnableFlag = false;
    retard.RetardVal = 4;
    kv::test::writeAll(dir.file("ex.tbl"), tableFileText(kv::test::curves(10, 0), retard, "EX"));
    dialogs.expectOpenFile(dir.file("ex.tbl")).expectMessage("", Button::OK);
    compare->trigger();
    EXPECT_EQ(dialogs.last().text.find("ex.tbl is a table of type EX, the open table one of type "
                                       "RACE."),
              0u);
    EXPECT_EQ(status->text(), "Compared with ex.tbl; module parameters differ: Retard, VOES "
                              "Input for Retard");
    EXPECT_EQ(status->toolTip(), "Retard: 7 here, 4 in ex.tbl\nVOES Input for Retard: True "
                                 "here, False in ex.tbl");
    // It also ends with the table, and so does the history.
    dialogs.expectMessage("", Button::No);
    EXPECT_TRUE(compare->isChecked());
    trigger("mnuCloseTable");
    EXPECT_FALSE(!dialogs.done() || compare->isChecked() || compare->isEnabled());
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);
    EXPECT_FALSE(stack().count() != 0 || w->action("mnuUndo")->isEnabled());
}

// Revert to Saved reopens the table's file, asking first only when the table differs from
// it; a table without a file, or whose file is gone, stays as it is.
TEST_F(History, RevertReopensTheSavedFile) {
    QAction* revert = w->action("mnuRevertTable");
    EXPECT_FALSE(revert->isEnabled()); // no table
    const std::string path = open("t.tbl");
    const EditSnapshot opened = takeSnapshot(s());
    ASSERT_TRUE(revert->isEnabled());
    revert->trigger(); // unchanged: reopened without a question (an unscripted one fails)
    s().params.RetardVal = 1; // a parameter alone differs from the file: asked all the same
    dialogs.expectMessage("Save advance table before reverting?", Button::Cancel)
        .expectMessage("Save advance table before reverting?", Button::No);
    revert->trigger();
    EXPECT_EQ(s().params.RetardVal, 1);
    ASSERT_TRUE(model()->setData(model()->index(2, 6), "30"));
    revert->trigger();
    EXPECT_TRUE(dialogs.done());
    kv::test::expectTable(*w, opened.live, "reverted");
    EXPECT_EQ(std::tuple(stack().count(), w->caption()),
              std::tuple(0, s().BaseCaption + " - t.tbl"));

    ASSERT_TRUE(model()->setData(model()->index(1, 2), "3"));
    std::filesystem::remove(path);
    dialogs.expectMessage("Error loading " + path, Button::OK);
    revert->trigger();
    EXPECT_TRUE(w->tableShown() && s().live.value(kLow, 2) == 3); // kept as it was

    kv::showWholeTable(*w); // as New Table and Download show theirs: no file
    EXPECT_FALSE(revert->isEnabled());
    dialogs.expectSaveFile(path);
    trigger("mnuSaveTable");
    EXPECT_TRUE(revert->isEnabled());
}
