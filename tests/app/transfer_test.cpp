// SPDX-License-Identifier: GPL-3.0-or-later
// Download and upload through the real menu commands, the real serial adapter and the
// module emulator on a pseudo-terminal, with scripted answers.
#include "files/curve_data.h"
#include "files/table_file.h"
#include "link/protocol.h"
#include "link/transfer_history.h"
#include "link/ui/history_folder.h"
#include "link/ui/port_select_frame.h"
#include "link/ui/progress_frame.h"
#include "table/numbers.h"
#include "table/ui/edit_history.h"
#include "window_fixture.h"

#include "../link/sim_process.h"

#include <QDialog>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>

using namespace kv;
using kv::test::SimProcess;

namespace {

constexpr const char* kRaceId = "VANTA 8.1 RACE";
constexpr const char* kExId = "VANTA 8.1 EX";
constexpr const char* kTexId = "V1005T EX";
constexpr const char* kDiffered =
    "Download failed - the module's data differed between two reads. Check the cable.";

// A module image: every advance byte `advance`, then the seven parameter bytes.
QString imageHex(int advance, int b36 = 28, int b37 = 0x08) {
    QString hex;
    for (int i = 0; i < 39; ++i) {
        const int tail[] = {28, 28, 0, 2, b36, b37, 57};
        hex += QStringLiteral("%1").arg(i < 32 ? advance : tail[i - 32], 2, 16, QChar('0'));
    }
    return hex;
}
int byteAt(const std::string& hex, int i) {
    return std::stoi(hex.substr(static_cast<std::size_t>(2 * i), 2), nullptr, 16);
}

// The window on the emulator of a module `id` started with `args`, without its pauses
// unless `paced`.
struct Bench {
    kv::test::TempDir dir;
    kv::test::ScriptedDialogs dialogs;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> w;

    explicit Bench(const char* id, QStringList args = {}, bool paced = false) {
        dir.copyAllData();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("data")));
        if (!paced) args << "--no-pace";
        sim = std::make_unique<SimProcess>(args << "--id" << id);
        EXPECT_TRUE(sim->started());
        auto settings = std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini")));
        settings->setDeviceOverride(1, QString::fromStdString(sim->device()));
        w = std::make_unique<MainWindow>(defaultBranding(), &dialogs,
                                         QString::fromStdString(dir.path().string()),
                                         std::move(settings));
        w->show();
    }
    ProgramState& s() { return w->state(); }
    std::vector<HistoryEntry> kept() const { return listHistory(historyFolder()); }
    // Runs the menu command `command`, which must show every prompt scripted.
    void run(const char* command) {
        w->action(command)->trigger();
        EXPECT_TRUE(dialogs.done());
    }
};

// Runs `act` once, at the first moment the progress frame shows `caption`.
void duringProgress(MainWindow& w, const QString& caption, std::function<void()> act) {
    auto* timer = new QTimer(&w);
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, &w, [&w, timer, caption, act] {
        if (w.progressFrame()->isVisible() && w.progressFrame()->title() == caption) {
            timer->stop();
            act();
        }
    });
    timer->start();
}

} // namespace

// An Escape pressed before the download (here on the idle window) decides nothing.
TEST(Download, TheModulesTableIsShownAsDownloadedDataWithinTheLimitsOfItsType) {
    for (const char* id : {kRaceId, kExId}) {
        Bench b(id, {"--image", imageHex(255)});
        QTest::keyClick(b.w.get(), Qt::Key_Escape);
        b.dialogs.expectMessage(std::string("Firmware ID: ") + id, Button::OK);
        b.run("mnuDownload");
        EXPECT_TRUE(b.w->tableShown());
        EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version " KV_VERSION " - Downloaded Data");
        EXPECT_EQ(b.s().TableType, id == kRaceId ? "RACE" : "EX");
        for (int p = 1; p <= 16; ++p)
            for (int c = 1; c <= 2; ++c) // above 40 kept for RACE, held to the limits for EX
                EXPECT_EQ(b.s().live.value(c, p), id == kRaceId ? 44.8 : b.s().ExMaxTable(p, c));
        EXPECT_TRUE(id != kRaceId || b.s().live.text(1, 16) == "44.8");
        const auto kept = b.kept();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].fileName.substr(19),
                  std::string("_download_") + b.s().TableType + ".tbl");
        EXPECT_EQ(kept[0].record.FirmwareID, id);
        EXPECT_EQ(kept[0].record.image, b.s().EEPROMBuffer);
        EXPECT_EQ(readTableFile(kept[0].path)->values, b.s().live.values);
        // File > History..., Enter: the entry opened after the save question.
        std::string listed; // the newest entry's direction and values as the list shows them
        b.w->setHistoryDialogHook([&listed](QDialog& d) {
            QTimer::singleShot(0, &d, [&d, &listed] {
                const QTreeWidgetItem* row = d.findChild<QTreeWidget*>()->topLevelItem(0);
                listed = (row->text(1) + " " + row->text(4)).toStdString();
                QTest::keyClick(d.findChild<QTreeWidget*>(), Qt::Key_Return);
            });
        });
        b.dialogs.expectMessage("Save advance table before opening file?", Button::No);
        b.run("mnuHistory");
        EXPECT_EQ(b.w->windowTitle().toStdString(), "Kestrel Vanta Version " KV_VERSION
                                                    " - History: downloaded " +
                                                        kept[0].record.time + " from " + id);
        EXPECT_FALSE(b.w->action("mnuRevertTable")->isEnabled()); // no file of the user's
        EXPECT_EQ(listed,
                  "Downloaded " + format1(kept[0].lowest) + " to " + format1(kept[0].highest));
    }
    // Now with a table open, it asks to save it first: Cancel keeps it and sends nothing.
    // Without the limit file of the module's type, no table is left.
    Bench b(kExId, {"--image", imageHex(255)});
    kv::test::showTable(*b.w, "RACE", kv::test::curves(1, 2));
    b.dialogs.expectMessage("Save advance table before downloading?", Button::Cancel);
    b.run("mnuDownload");
    EXPECT_TRUE(b.w->tableShown() && b.sim->log().empty());
    std::filesystem::remove(b.dir.file("Vanta_EX_Max.dat"));
    b.dialogs.expectMessage("Save advance table before downloading?", Button::No)
        .expectMessage(std::string("Firmware ID: ") + kExId, Button::OK)
        .expectMessage("Vanta_EX_Max.dat not found.", Button::OK);
    b.run("mnuDownload");
    EXPECT_FALSE(b.w->tableShown());
}

// A history that cannot be written is told once, naming its folder; the download stands.
TEST(Download, AHistoryThatCannotBeWrittenIsToldAndTheDownloadStands) {
    Bench b(kRaceId);
    kv::test::writeAll(b.dir.file("data"), "a file where the data folder would be");
    b.dialogs.expectMessage({}, Button::OK)
        .expectMessage("This transfer could not be kept in the history: " + historyFolder() +
                           " cannot be written. The transfer itself is done.",
                       Button::OK);
    b.run("mnuDownload");
    EXPECT_TRUE(b.w->tableShown());
    EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version " KV_VERSION " - Downloaded Data");
}

// Escape while reading, with no second transfer let in meanwhile, and data that differed
// in either of the two reads: no table.
TEST(Download, AFailedDownloadLeavesNoTable) {
    for (const char* fault : {"", "noisy-read=3", "noisy-read=45"}) {
        SCOPED_TRACE(fault);
        const bool escape = !*fault;
        Bench b(kRaceId, escape ? QStringList() : QStringList{"--fault", fault}, escape);
        b.dialogs.expectMessage({}, Button::OK)
            .expectMessage(escape ? "Download failed." : kDiffered, Button::OK);
        bool offered = escape;
        if (escape)
            duringProgress(*b.w, "Reading EEPROM", [&] {
                offered = b.w->portFrame()->isEnabled();
                for (const char* item : {"mnuDownload", "mnuUpload", "mnuHistory"})
                    offered = offered || b.w->action(item)->isEnabled();
                b.w->mnuDownload_Click(); // a second start is refused at once
                QTest::keyClick(b.w.get(), Qt::Key_Escape);
            });
        b.run("mnuDownload");
        EXPECT_FALSE(offered);
        EXPECT_FALSE(b.w->tableShown());
        EXPECT_FALSE(b.s().AbortRequested);
        EXPECT_TRUE(b.w->action("mnuDownload")->isEnabled());
        EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version " KV_VERSION " - Data Buffer Empty");
        for (auto byte : b.s().EEPROMBuffer)
            EXPECT_EQ(byte, 0);
        EXPECT_TRUE(b.kept().empty());
    }
}

// The module type decides which tables it takes; a value the module cannot hold is refused
// before anything is sent; the module's two carried bytes must read the same twice; and the
// bytes read back must match. Only a failure after a byte was written says the module may
// hold a mix. An Escape pressed before the upload decides nothing.
TEST(Upload, OnlyATableTheModuleTakesAndHoldsIsProgrammedAndThenVerified) {
    const std::string refused = "Cannot upload - incorrect data for EX versions",
                      done = "Upload completed.",
                      failed = "Upload aborted - EEPROM programming failed.",
                      differed = "Upload aborted - the module's data differed between two "
                                 "reads. Check the cable.",
                      mixed = "\n\nThe module may now hold part of this table and part of the "
                              "one before. Upload again before starting the engine.";
    enum Sent { Nothing, Read, Written };
    const std::tuple<const char*, const char*, const char*, double, std::string, Sent> cases[] = {
        {kRaceId, "TEX", "", 10, done, Written},
        {kExId, "EX", "", 10, done, Written},
        {kExId, "RACE", "", 10, refused, Read},
        {kTexId, "EX", "", 10, refused, Read},
        {kRaceId, "RACE", "bad-read=5", 10, "Upload aborted - EEPROM verification failed." + mixed,
         Written},
        {kRaceId, "RACE", "bad-ack=5", 10, failed + mixed, Written},
        {kRaceId, "RACE", "bad-address-ack", 10, failed, Read},
        {kRaceId, "RACE", "noisy-read=1", 10, differed, Read}, // the second read of byte 36
        {kRaceId, "RACE", "noisy-read=2", 10, differed, Read}, // the first read of byte 37
        {kRaceId, "RACE", "", 44.8, done, Written},            // as a RACE module may hold
        {kExId, "EX", "", 500,
         "Cannot upload - the WOT value at 1500 RPM (500.0) is outside 0 to 44.8 degrees.",
         Nothing}};
    for (const auto& [id, table, fault, wot4, message, sent] : cases) {
        SCOPED_TRACE(std::string(id) + " / " + table + " / " + fault + " / " + message);
        Bench b(id, QStringList{"--image", imageHex(0)} +
                        (*fault ? QStringList{"--fault", fault} : QStringList()));
        Table16x2 t = kv::test::curves(10.0, 10.0, 0);
        t(4, kWot) = wot4;
        kv::test::showTable(*b.w, table, t);
        QTest::keyClick(b.w.get(), Qt::Key_Escape);
        b.dialogs.expectMessage(message, Button::OK);
        b.run("mnuUpload");
        EXPECT_EQ(b.dialogs.last().title, "Upload To EEPROM");
        EXPECT_EQ(b.s().TableType, table); // the table keeps its own type
        EXPECT_EQ(b.sim->log().empty(), sent == Nothing);
        const char* start = sent != Written ? "00000000" : wot4 == 10 ? "39393939" : "393939ff";
        EXPECT_EQ(b.sim->stop().substr(0, 8), start); // the module as it was unless written
        const auto kept = b.kept();
        ASSERT_EQ(kept.size(), message == done ? 1u : 0u);
        if (kept.empty()) continue;
        EXPECT_EQ(kept[0].fileName.substr(19), std::string("_upload_") + tableTypeOf(id) + ".tbl");
        EXPECT_EQ(kept[0].TableType, table);
        EXPECT_EQ(kept[0].record.image, b.s().EEPROMBuffer);
        EXPECT_EQ(readTableFile(kept[0].path)->values, t);
    }
}

// A cell typed after the table was opened with every value 10 (byte 57) goes to the
// module as edited, with the module's own bytes where the table has none. A resize while
// programming leaves the transfer intact, and Undo waits for its end.
TEST(Upload, SendsTheTableAsEditedAndCarriesTheModulesOwnBytes) {
    const std::tuple<int, int, bool, int, int> cases[] = {{200, 0x06, false, 28, 0x06},
                                                          {20, 0x06, true, 20, 0x16}};
    for (const auto& [b36, b37, kick, want36, want37] : cases) {
        Bench b(kRaceId, {"--image", imageHex(0, b36, b37)}, kick);
        kv::test::showTable(*b.w, "RACE", kv::test::curves(10.0, 10.0, 0));
        b.s().params = ModuleParameters{};
        b.s().SelEEPROMTblFlag = false;
        b.s().KickStartFlag = kick;
        b.w->grid()->setCurrentCell(rowOfSeries(kLow), 3);
        QAbstractItemModel* model = b.w->grid()->model();
        EXPECT_TRUE(model->setData(model->index(rowOfSeries(kLow), 3), "25"));
        b.dialogs.expectMessage("Upload completed.", Button::OK);
        bool undoOffered = kick;
        if (kick)
            duringProgress(*b.w, "Programming EEPROM", [&] {
                b.w->resize(700, 500);
                undoOffered = b.w->action("mnuUndo")->isEnabled();
                QTest::keyClick(b.w.get(), Qt::Key_Z, Qt::ControlModifier);
            });
        b.run("mnuUpload");
        EXPECT_FALSE(undoOffered);
        EXPECT_EQ(b.s().live.text(rowOfSeries(kLow), 3), "25"); // not undone under the transfer
        EXPECT_TRUE(b.w->action("mnuUndo")->isEnabled());
        EXPECT_EQ(b.s().CommErrorCount, 0);
        const std::string image = b.sim->stop();
        EXPECT_EQ(byteAt(image, kPoints + 2), 142); // 25 degrees
        for (int i : {0, 2, 15, 16, 31})
            EXPECT_EQ(byteAt(image, i), 57) << i; // the rest as opened
        EXPECT_EQ(byteAt(image, 32), 28);
        EXPECT_EQ(byteAt(image, 36), want36);
        EXPECT_EQ(byteAt(image, 37), want37);
    }
}

// Compare With Module reads the module as Download does and keeps what it read, but leaves
// the open table as it was: values, texts, type, parameters, caption and undo steps. It
// refuses without a table, and where Download fails.
TEST(CompareWithModule, ShowsTheModuleOverTheOpenTableAndChangesNothing) {
    const std::tuple<const char*, const char*, bool, std::string> cases[] = {
        {kExId, "", true, "Module VANTA 8.1 EX: "},
        {kRaceId, "", true, "Module VANTA 8.1 RACE: "},
        {kRaceId, "", false, "No advance table is open to compare with the module."},
        {kRaceId, "noisy-read=45", true,
         "Reading the module failed - its data differed between two reads. Check the cable."}};
    for (const auto& [id, fault, open, message] : cases) {
        SCOPED_TRACE(message);
        Bench b(id, QStringList{"--image", imageHex(255)} +
                        (*fault ? QStringList{"--fault", fault} : QStringList()));
        if (open) {
            kv::test::showTable(*b.w, "RACE", kv::test::curves(10.0, 10.0, 0));
            QAbstractItemModel* model = b.w->grid()->model();
            EXPECT_TRUE(model->setData(model->index(rowOfSeries(kWot), 5), "25"));
        }
        b.s().RPMLimit = 6000;
        const LiveTable before = b.s().live;
        const QString caption = b.w->windowTitle();
        const bool compares = message.rfind("Module", 0) == 0;
        b.dialogs.expectMessage(compares ? "" : message, Button::OK);
        b.run("mnuCompareModule");
        EXPECT_EQ(b.dialogs.last().title, "Compare With Module");
        EXPECT_TRUE(b.s().live.texts == before.texts && b.s().live.values == before.values);
        EXPECT_EQ(b.w->windowTitle(), caption);
        EXPECT_EQ(b.s().TableType, "RACE");
        EXPECT_EQ(b.s().RPMLimit, 6000);
        EXPECT_EQ(b.w->tableShown(), open);
        EXPECT_EQ(b.w->history().stack().canUndo(), open);
        EXPECT_EQ(b.w->comparing(), compares);
        EXPECT_EQ(b.w->action("mnuCompareModule")->isChecked(), compares);
        const auto kept = b.kept();
        ASSERT_EQ(kept.size(), compares ? 1u : 0u);
        if (!compares) continue;
        const std::string& text = b.dialogs.last().text;
        EXPECT_EQ(text.rfind(message, 0), 0u) << text;
        EXPECT_NE(text.find("RPMLimit: 6000 -> 5700"), std::string::npos) << text;
        EXPECT_EQ(kept[0].record.direction, TransferDirection::Download);
        // The module's values within the limits of its type, as kept and as drawn.
        const Table16x2 limits = *readCurveFile(b.dir.file("Vanta_EX_Max.dat"));
        const Table16x2 module = readTableFile(kept[0].path)->values;
        for (int p : {1, 6, 16}) {
            const double want = id == kExId ? limits(p, kWot) : 44.8;
            EXPECT_EQ(module(p, kWot), want);
            EXPECT_EQ(b.w->chart()->referenceSeries(kWot)->at(p - 1).y(), want);
        }
        b.run("mnuCompareModule"); // chosen again, it ends the comparison
        EXPECT_FALSE(b.w->comparing());
    }
}
