// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/help_viewer.h"
#include "app/ui/qt_dialogs.h"
#include "link/ui/link_controller.h"
#include "table/ui/grid_editing.h"
#include "window_fixture.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <filesystem>
#include <tuple>

using namespace kv;

using Window = kv::test::WindowTest;

TEST_F(Window, StartsWithNoTableAndItsMenusAnswer) {
    EXPECT_EQ(w->windowTitle(), "Orvane Kestrel Vanta Version " KV_VERSION);
    EXPECT_FALSE(w->tableShown());
    const std::tuple<int, int, const char*> headings[] = {
        {0, 0, "MAP/RPM"}, {0, 1, "0"}, {0, 16, "7500"}, {1, 0, "Low"}, {2, 0, "WOT"}};
    for (const auto& [r, c, text] : headings)
        EXPECT_EQ(model()->index(r, c).data().toString(), text) << r << "," << c;

    dialogs.expectMessage("", Button::OK);
    trigger("mnuAbout");
    EXPECT_EQ(dialogs.last().text.find("Orvane Kestrel Vanta Version " KV_VERSION "\n"), 0u);
    EXPECT_NE(dialogs.last().text.find("\n\nOrvane Motor Electronics\n14 Foundry Lane\n"),
              std::string::npos); // the contact lines after the short name
    QTest::keyClick(w->grid(), Qt::Key_Escape);
    EXPECT_TRUE(s().AbortRequested);
    trigger("mnuCloseTable"); // no table open: no question, and the maker's name goes
    EXPECT_EQ(w->windowTitle(), "Kestrel Vanta Version " KV_VERSION);

    // At its smallest the window still gives the chart and every grid cell room for
    // their texts.
    w->resize(w->minimumSize());
    w->resizeLayout();
    const QSize chart = w->chart()->minimumUncutSize(), cell = w->grid()->minimumCellSize();
    EXPECT_TRUE(w->chart()->width() >= chart.width() && w->chart()->height() >= chart.height());
    for (int c = 0; c < model()->columnCount(); ++c)
        EXPECT_GE(w->grid()->columnWidth(c), cell.width()) << c;
    EXPECT_GE(w->grid()->rowHeight(1), cell.height());

    w->setTableShown(true);
    dialogs.expectMessage("Save advance table before exiting?", Button::Cancel)
        .expectMessage("Save advance table before exiting?", Button::No);
    trigger("mnuExit");
    EXPECT_TRUE(w->isVisible());
    trigger("mnuExit");
    EXPECT_TRUE(dialogs.done() && !w->isVisible());

    // Help says that its file is missing (it is shown below); so does a window without its
    // chart template.
    for (const char* name : {"Kestrel_Vanta_Help.html", "Vanta_Chart.oc2"})
        std::filesystem::remove(dir.file(name));
    dialogs.expectMessage("Help file " + dir.file("Kestrel_Vanta_Help.html") + " not found.",
                          Button::OK);
    trigger("mnuHelpContents");
    dialogs.expectMessage("Chart template file Vanta_Chart.oc2 not found.", Button::OK);
    MainWindow other(defaultBranding(), &dialogs, QString::fromStdString(dir.path().string()));
    EXPECT_TRUE(dialogs.done());
}

TEST_F(Window, TypedCellsAreCheckedAndOnlyRaceTablesTakeTyping) {
    kv::test::showTable(*w, "RACE", kv::test::curves(10.0, 10.0, 0));
    const QModelIndex lowAt500 = model()->index(1, 2);
    EXPECT_FALSE(model()->flags(model()->index(0, 2)) & Qt::ItemIsEditable); // headings never
    dialogs.expectMessage("Advance must be numeric value between zero and 40 degrees.", Button::OK);
    EXPECT_FALSE(model()->setData(lowAt500, "40.1") || s().live.text(1, 2) != "10.0");
    w->grid()->setCurrentCell(1, 2);
    EXPECT_TRUE(model()->setData(lowAt500, "25") && s().live.value(kLow, 2) == 25.0);
    // Kept as typed in the grid, at one decimal in the chart.
    EXPECT_EQ(s().live.text(1, 2) + " " + w->chart()->valueLabelText().toStdString(), "25 25.0");
    w->applyInteraction("EX");
    EXPECT_FALSE(model()->flags(lowAt500) & Qt::ItemIsEditable);
}

TEST_F(Window, KeysReachTheCommandsAndTheStatusBarShowsTheTableItsLimitsAndTheModule) {
    const std::pair<const char*, QKeySequence::StandardKey> keys[] = {
        {"mnuNewTable", QKeySequence::New},
        {"mnuOpenTable", QKeySequence::Open},
        {"mnuSaveTable", QKeySequence::Save},
        {"mnuPrintTable", QKeySequence::Print},
        {"mnuHelpContents", QKeySequence::HelpContents}};
    for (const auto& [name, key] : keys)
        EXPECT_EQ(w->action(name)->shortcut(), QKeySequence(key)) << name;
    auto *type = w->findChild<QLabel*>("lblTableType"),
         *module = w->findChild<QLabel*>("lblModuleId");
    QAction* spreadsheet = w->action("mnuPasteFromSpreadsheet");
    EXPECT_FALSE(type->isVisible() || module->isVisible() || spreadsheet->isEnabled() ||
                 w->action("mnuEditCopy")->isEnabled());

    s().ExMaxTable = kv::test::curves(30, 25, 0); // WOT's limits 30, Low's 25
    s().FirmwareID = "VANTA 8.1 EX";
    kv::test::showTable(*w, "TEX", kv::test::curves(10, 5));
    EXPECT_TRUE(type->isVisible() && type->text() == "TEX table" && spreadsheet->isEnabled() &&
                type->toolTip().contains("its TEX limit"));
    EXPECT_EQ(module->text(), "Module: VANTA 8.1 EX");
    EXPECT_TRUE(w->grid()->toolTip().contains("Shift+F10"));
    EXPECT_EQ(std::pair(w->chart()->limitSeries(kLow)->at(15).y(),
                        w->chart()->limitSeries(kLow)->name().toStdString()),
              std::pair(25.0, std::string("Low MAP limit")));
    Q_EMIT w->link().searchingChanged(true); // Find module asks the devices: no transfer
    for (const char* name : {"mnuDownload", "mnuUpload", "mnuCompareModule"})
        EXPECT_FALSE(w->action(name)->isEnabled()) << name;
    Q_EMIT w->link().searchingChanged(false);

    // Shift+F10 and the menu key open the pop-up; the Edit menu runs its commands.
    w->grid()->setCurrentCell(2, 3);
    for (const QKeyCombination key : {Qt::SHIFT | Qt::Key_F10, QKeyCombination(Qt::Key_Menu)}) {
        QTest::keyClick(w->grid(), key.key(), key.keyboardModifiers());
        EXPECT_TRUE(w->popupMenu()->isVisible());
        w->popupMenu()->hide();
    }
    EXPECT_FALSE(w->action("mnuEditPaste")->isEnabled());
    trigger("mnuEditCopy");
    EXPECT_TRUE(w->action("mnuEditPaste")->isEnabled() && s().CopyBuffer == "13.0");
    dialogs.expectInput(kModifyPrompt, "+1");
    trigger("mnuEditModify");
    EXPECT_EQ(s().live.value(kWot, 3), 14);

    trigger("mnuHelpContents");
    auto* help = w->findChild<HelpViewer*>("helpViewer");
    ASSERT_TRUE(help && help->isVisible());
    EXPECT_EQ(help->sections()->count(), 17);
    EXPECT_EQ(help->sections()->item(1)->text(), "1. Advance tables and their limits");
    help->findBox()->setText("Shift+F10"); // three times in the text: the fourth Find wraps
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(help->findNext()) << i;
    // F1 in a prompt opens the help at a section the help file has.
    const std::string html = kv::test::readAll(dir.file("Kestrel_Vanta_Help.html"));
    for (const char* prompt : {"New Table", "frmModParams", "Modify Selection", "Open File",
                               "Compare With", "Optional Information"}) {
        QInputDialog d;
        d.setObjectName(prompt);
        const std::string section = helpSectionFor(&d).toStdString();
        EXPECT_TRUE(!section.empty() && html.find("id=\"" + section + "\"") != html.npos) << prompt;
    }

    dialogs.expectMessage("Save advance table before closing file?", Button::No);
    trigger("mnuCloseTable");
    EXPECT_FALSE(type->isVisible() || w->chart()->limitSeries(kLow));
}

// The file dialog hands back a typed name that does not exist (the program then says "File
// not found."), and keeps the folder it ended in for the next one.
TEST(QtFileDialogs, HandBackATypedNameAndKeepItsFolder) {
    // With no folder used yet, a program folder the user may not write is passed over.
    EXPECT_EQ(kv::test::asOrdinaryUser([] { return fileDialogFolder({}, "/usr") == "/usr"; }), 0);
    kv::test::TempDir dir;
    QString kept;
    QtDialogs dialogs(nullptr);
    dialogs.setFolderStore([&] { return kept; }, [&](const QString& f) { kept = f; }, {});
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        EXPECT_EQ(d->fileMode(), QFileDialog::AnyFile); // else Qt refuses the name itself
        d->selectFile(QString::fromStdString(dir.file("typed.tbl")));
        d->fileMode() == QFileDialog::AnyFile ? static_cast<QDialog*>(d)->accept() : d->reject();
    });
    EXPECT_EQ(dialogs.openFile("Open Table", "Table files|*.tbl"), dir.file("typed.tbl"));
    EXPECT_EQ(kept.toStdString(), dir.path().string());
}
