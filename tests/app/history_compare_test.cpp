// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and Redo of every kind of edit, and Compare With, through the real window.
#include "files/table_file.h"
#include "table/edit_snapshot.h"
#include "table/ui/edit_history.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QLineSeries>
#include <QPushButton>
#include <QTimer>
#include <functional>

using namespace kv;
using kv::test::chartMouse;

namespace {

class History : public kv::test::WindowTest {
protected:
    QUndoStack& stack() { return w->history().stack(); }

    // A RACE table of values no single decimal shows, written to `name` and opened.
    std::string open(const std::string& name) {
        Table16x2 t;
        for (int p = 1; p <= kPoints; ++p) {
            t(p, kWot) = 9 + p / 3.0;
            t(p, kLow) = 5 + p / 7.0;
        }
        kv::test::writeAll(dir.file(name), tableFileText(t, ModuleParameters{}, "RACE"));
        if (w->tableShown()) dialogs.expectMessage("", Button::No); // no save first
        dialogs.expectOpenFile(dir.file(name));
        trigger("mnuOpenTable");
        EXPECT_TRUE(dialogs.done() && w->tableShown());
        return dir.file(name);
    }
    QLineSeries* line(int curve) {
        return qobject_cast<QLineSeries*>(w->chart()->chart()->series().at(curve - 1));
    }
    // The state holds `expected` exactly, and the chart draws it.
    void expectState(const EditSnapshot& expected, const std::string& what) {
        const EditSnapshot now = takeSnapshot(s());
        EXPECT_TRUE(now.live.texts == expected.live.texts) << what;
        EXPECT_TRUE(now.params == expected.params) << what;
        for (int curve : {kWot, kLow})
            for (int p = 1; p <= kPoints; ++p) {
                EXPECT_EQ(now.live.value(curve, p), expected.live.value(curve, p)) << what;
                EXPECT_EQ(line(curve)->at(p - 1).y(), expected.live.value(curve, p)) << what;
            }
    }
};

} // namespace

TEST_F(History, EachKindOfEditIsOneStepThatUndoAndRedoReturnExactly) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"typed cell", [&] { ASSERT_TRUE(model()->setData(model()->index(1, 4), "12.345")); }},
        {"drag of several moves", [&] { kv::test::chartDrag(*w, kWot, 6, 3, 5); }},
        {"modify",
         [&] {
             w->grid()->selectRange({1, 1, 2, 16});
             dialogs.expectInput("", "+7.5%");
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
        ASSERT_TRUE(dialogs.done()) << name;
        const EditSnapshot after = takeSnapshot(s());
        ASSERT_FALSE(after == before) << name;
        EXPECT_EQ(stack().count(), 1) << name;
        // Undo and Redo by their keys and by their menu items.
        QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
        expectState(before, std::string(name) + " undone by the key");
        EXPECT_FALSE(w->action("mnuUndo")->isEnabled()) << name;
        trigger("mnuRedo");
        expectState(after, std::string(name) + " redone by the menu");
        trigger("mnuUndo");
        expectState(before, std::string(name) + " undone by the menu");
        QTest::keyClick(w->grid(), Qt::Key_Y, Qt::ControlModifier);
        expectState(after, std::string(name) + " redone by the key");
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
    EXPECT_EQ(stack().count(), 2);
    EXPECT_EQ(stack().index(), 2);
}

TEST_F(History, CompareMarksTheDifferencesUntilEndedOrTheTableCloses) {
    const std::string good = open("good.tbl");
    open("mine.tbl"); // the same values
    QAbstractItemModel* m = model();
    ASSERT_TRUE(m->setData(m->index(2, 6), "30")); // WOT at 2500 RPM, from 11 in both files
    QAction* compare = w->action("mnuCompareWith");
    dialogs.expectOpenFile(good);
    compare->trigger();
    EXPECT_TRUE(dialogs.done() && compare->isChecked());
    for (int curve : {kWot, kLow}) {
        QLineSeries* ref = w->chart()->referenceSeries(curve);
        ASSERT_NE(ref, nullptr);
        EXPECT_EQ(ref->name(), "good.tbl " + line(curve)->name()); // "WOT", "Low MAP"
        EXPECT_EQ(ref->pen().style(), Qt::DashLine);
        EXPECT_EQ(ref->at(5).y(), curve == kWot ? 9 + 6 / 3.0 : 5 + 6 / 7.0);
    }
    // Only the changed cell is marked, and its tooltip gives the compared value.
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= kPoints; ++c) {
            const bool marked = m->data(m->index(r, c), Qt::BackgroundRole).isValid();
            EXPECT_EQ(marked, r == 2 && c == 6) << r << "," << c;
            EXPECT_EQ(m->data(m->index(r, c), Qt::ToolTipRole).isValid(), marked);
        }
    EXPECT_EQ(m->data(m->index(2, 6), Qt::ToolTipRole).toString(), "Compared table: 11");

    compare->trigger(); // chosen again, the comparison ends
    EXPECT_FALSE(compare->isChecked());
    EXPECT_FALSE(m->data(m->index(2, 6), Qt::BackgroundRole).isValid());
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);
    // It also ends with the table, and so does the history.
    dialogs.expectOpenFile(good).expectMessage("", Button::No);
    compare->trigger();
    EXPECT_TRUE(compare->isChecked());
    trigger("mnuCloseTable");
    EXPECT_TRUE(dialogs.done());
    EXPECT_FALSE(compare->isChecked() || compare->isEnabled());
    EXPECT_EQ(w->chart()->referenceSeries(kLow), nullptr);
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);
    EXPECT_EQ(stack().count(), 0);
    EXPECT_FALSE(w->action("mnuUndo")->isEnabled());
}
