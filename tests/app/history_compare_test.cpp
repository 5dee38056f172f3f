// SPDX-License-Identifier: GPL-3.0-or-later
// Undo and Redo of every kind of edit, and Compare With, through the real window.
#include "app/ui/main_window.h"
#include "files/table_file.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/edit_snapshot.h"
#include "table/ui/advance_chart.h"
#include "table/ui/edit_history.h"
#include "table/ui/grid_view.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::TempDir;
using kv::test::writeAll;

namespace {

class History : public kv::test::WindowTest {
protected:
    QUndoStack& stack() { return w->history().stack(); }

    // A RACE table of values no single decimal shows, written to `name` and opened.
    std::string writeTable(const std::string& name, double wotFrom) {
        Table16x2 t;
        for (int p = 1; p <= kPoints; ++p) {
            t(p, kWot) = wotFrom + p / 3.0;
            t(p, kLow) = 5 + p / 7.0;
        }
        writeAll(dir.file(name), tableFileText(t, ModuleParameters{}, "RACE"));
        return dir.file(name);
    }
    void open(const std::string& path) {
        if (w->tableShown()) dialogs.expectMessage("", Button::No); // no save first
        dialogs.expectOpenFile(path);
        w->action("mnuOpenTable")->trigger();
        ASSERT_TRUE(dialogs.done());
        ASSERT_TRUE(w->tableShown());
        QApplication::processEvents();
    }

    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* vp = w->chart()->viewport();
        QMouseEvent ev(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, held, {});
        QApplication::sendEvent(vp, &ev);
    }
    // A press on a point, `moves` steps up by 3 pixels, and the release.
    void drag(int series, int point, int moves) {
        const QPoint at = w->chart()->pointPosition(series, point).toPoint();
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= moves; ++i)
            mouse(QEvent::MouseMove, at - QPoint(0, 3 * i), Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, at - QPoint(0, 3 * moves), Qt::LeftButton, Qt::NoButton);
    }

    QLineSeries* line(int i) {
        return qobject_cast<QLineSeries*>(w->chart()->chart()->series().at(i));
    }
    // The state holds `expected` exactly, and the chart draws it.
    void expectState(const EditSnapshot& expected, const std::string& what) {
        const EditSnapshot now = takeSnapshot(s());
        EXPECT_TRUE(now.live.texts == expected.live.texts) << what;
        EXPECT_TRUE(now.params == expected.params) << what;
        for (int curve : {kWot, kLow})
            for (int p = 1; p <= kPoints; ++p) {
                EXPECT_EQ(now.live.value(curve, p), expected.live.value(curve, p)) << what;
                EXPECT_EQ(line(curve - 1)->at(p - 1).y(), expected.live.value(curve, p)) << what;
            }
    }
};

} // namespace

TEST_F(History, EachKindOfEditIsOneStepThatUndoAndRedoReturnExactly) {
    struct Case {
        const char* name;
        std::function<void()> edit;
    };
    const Case cases[] = {
        {"typed cell",
         [&] {
             QAbstractItemModel* m = w->grid()->model();
             ASSERT_TRUE(m->setData(m->index(1, 4), QStringLiteral("12.345")));
         }},
        {"drag of several moves", [&] { drag(kWot, 6, 5); }},
        {"paste",
         [&] {
             w->grid()->selectRange({1, 2, 2, 3});
             w->action("mnuPopUpCopy")->trigger();
             w->grid()->selectRange({1, 10, 1, 10});
             w->action("mnuPopUpPaste")->trigger();
         }},
        {"modify",
         [&] {
             w->grid()->selectRange({1, 1, 2, 16});
             dialogs.expectInput("", "+7.5%");
             w->action("mnuPopUpModify")->trigger();
         }},
        {"module parameters",
         [&] {
             // Through the menu and the real dialog: tick kick start, then OK.
             QTimer::singleShot(0, [] {
                 QWidget* d = QApplication::activeModalWidget();
                 ASSERT_NE(d, nullptr);
                 d->findChild<QCheckBox*>(QStringLiteral("chkKickStart"))->click();
                 d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
             });
             w->action("mnuEditModParams")->trigger();
             QApplication::setActiveWindow(w.get()); // as the window manager would
         }},
    };
    const std::string path = writeTable("t.tbl", 9);
    int i = 0;
    for (const Case& c : cases) {
        open(path);
        EXPECT_EQ(stack().count(), 0) << c.name << ": Open starts an empty history";
        EXPECT_FALSE(w->action("mnuUndo")->isEnabled()) << c.name;
        // A typed text kept as typed, which only an exact restore gives back.
        ASSERT_TRUE(w->grid()->model()->setData(w->grid()->model()->index(2, 6), "11.11"));
        stack().clear();
        const EditSnapshot before = takeSnapshot(s());
        c.edit();
        ASSERT_TRUE(dialogs.done()) << c.name;
        const EditSnapshot after = takeSnapshot(s());
        ASSERT_FALSE(after == before) << c.name;
        EXPECT_EQ(stack().count(), 1) << c.name;

        // Undo and Redo by their menu items and by each of their keys.
        if (i % 2 == 0)
            w->action("mnuUndo")->trigger();
        else
            QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
        expectState(before, std::string(c.name) + " undone");
        EXPECT_FALSE(w->action("mnuUndo")->isEnabled()) << c.name;
        if (i % 3 == 0)
            w->action("mnuRedo")->trigger();
        else
            QTest::keyClick(w->grid(), i % 3 == 1 ? Qt::Key_Y : Qt::Key_Z,
                            i % 3 == 1 ? Qt::ControlModifier
                                       : Qt::ControlModifier | Qt::ShiftModifier);
        expectState(after, std::string(c.name) + " redone");
        ++i;
    }
}

TEST_F(History, ClosingTheTableEndsItsHistory) {
    open(writeTable("t.tbl", 9));
    w->editModuleParameters([&] { s().RetardVal = 4; });
    EXPECT_TRUE(w->action("mnuUndo")->isEnabled());
    w->editModuleParameters([] {}); // the dialog closed with nothing changed
    EXPECT_EQ(stack().count(), 1);
    dialogs.expectMessage("", Button::No);
    w->action("mnuCloseTable")->trigger();
    EXPECT_EQ(stack().count(), 0);
    EXPECT_FALSE(w->action("mnuUndo")->isEnabled());
}

// Undo under a drag would take back the step before it while the drag goes on.
TEST_F(History, UndoWaitsForTheDragUnderWay) {
    open(writeTable("t.tbl", 9));
    drag(kWot, 3, 1);
    const double first = s().live.value(kWot, 3);
    const QPoint at = w->chart()->pointPosition(kWot, 5).toPoint();
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, at - QPoint(0, 6), Qt::NoButton, Qt::LeftButton);
    w->action("mnuUndo")->trigger();
    mouse(QEvent::MouseButtonRelease, at - QPoint(0, 6), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(s().live.value(kWot, 3), first);
    EXPECT_EQ(stack().count(), 2);
    EXPECT_EQ(stack().index(), 2);
}

TEST_F(History, CompareMarksTheDifferencesUntilEndedOrTheTableCloses) {
    const std::string mine = writeTable("mine.tbl", 9);
    const std::string good = writeTable("good.tbl", 9);
    open(mine);
    QAbstractItemModel* m = w->grid()->model();
    ASSERT_TRUE(m->setData(m->index(2, 6), "30")); // WOT at 2500 RPM, from 11 in both files
    QAction* compare = w->action("mnuCompareWith");
    EXPECT_FALSE(compare->isChecked());

    writeAll(dir.file("bad.tbl"), "not a table");
    dialogs.expectOpenFile(dir.file("bad.tbl"))
        .expectMessage("Error loading " + dir.file("bad.tbl"), Button::OK);
    compare->trigger();
    EXPECT_FALSE(compare->isChecked());
    EXPECT_EQ(w->chart()->referenceSeries(kWot), nullptr);

    dialogs.expectOpenFile(good);
    compare->trigger();
    ASSERT_TRUE(dialogs.done());
    EXPECT_TRUE(compare->isChecked());
    for (int curve : {kWot, kLow}) {
        QLineSeries* ref = w->chart()->referenceSeries(curve);
        ASSERT_NE(ref, nullptr);
        EXPECT_EQ(ref->name(), "good.tbl " + line(curve - 1)->name()); // "WOT", "Low MAP"
        EXPECT_EQ(ref->pen().style(), Qt::DashLine);
        EXPECT_EQ(ref->at(5).y(), curve == kWot ? 9 + 6 / 3.0 : 5 + 6 / 7.0);
    }
    // Only the changed cell is marked, and its tooltip gives the compared value.
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= kPoints; ++c) {
            const QModelIndex at = m->index(r, c);
            const bool marked = m->data(at, Qt::BackgroundRole).isValid();
            EXPECT_EQ(marked, r == 2 && c == 6) << r << "," << c;
            EXPECT_EQ(m->data(at, Qt::ToolTipRole).isValid(), marked) << r << "," << c;
        }
    EXPECT_EQ(m->data(m->index(2, 6), Qt::ToolTipRole).toString().toStdString(),
              "Compared table: 11");
    // A typed change back to the compared value clears the mark.
    ASSERT_TRUE(m->setData(m->index(2, 6), "11"));
    EXPECT_FALSE(m->data(m->index(2, 6), Qt::BackgroundRole).isValid());
    ASSERT_TRUE(m->setData(m->index(2, 6), "30"));

    // A press on a reference point away from the live curve picks nothing and moves nothing.
    const QPointF refAt = w->chart()->chart()->mapToPosition(
        w->chart()->referenceSeries(kWot)->at(5), w->chart()->referenceSeries(kWot));
    const QPoint press = w->chart()->mapFromScene(w->chart()->chart()->mapToScene(refAt));
    const EditSnapshot before = takeSnapshot(s());
    mouse(QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, press - QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, press - QPoint(0, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w->chart()->dragState().DragSeries, 0);
    EXPECT_TRUE(takeSnapshot(s()) == before);
    EXPECT_EQ(w->chart()->referenceSeries(kWot)->at(5).y(), 9 + 6 / 3.0);

    // Chosen again, the comparison ends.
    compare->trigger();
    EXPECT_FALSE(compare->isChecked());
    EXPECT_EQ(w->chart()->referenceSeries(kWot), nullptr);
    EXPECT_FALSE(m->data(m->index(2, 6), Qt::BackgroundRole).isValid());
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);

    // It also ends with the table.
    dialogs.expectOpenFile(good);
    compare->trigger();
    EXPECT_TRUE(compare->isChecked());
    dialogs.expectMessage("", Button::No);
    w->action("mnuCloseTable")->trigger();
    ASSERT_TRUE(dialogs.done());
    EXPECT_FALSE(compare->isChecked());
    EXPECT_FALSE(compare->isEnabled());
    EXPECT_EQ(w->chart()->referenceSeries(kLow), nullptr);
    EXPECT_EQ(w->chart()->chart()->series().size(), 2);
}
