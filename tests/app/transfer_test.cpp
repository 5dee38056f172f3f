// SPDX-License-Identifier: GPL-3.0-or-later
// Download and upload through the real menu commands, the real serial adapter and the
// module emulator on a pseudo-terminal, with scripted answers.
#include "app/ui/main_window.h"
#include "link/ui/port_select_frame.h"
#include "link/ui/progress_frame.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"
#include "table/numbers.h"
#include "table/ui/advance_chart.h"
#include "table/ui/grid_view.h"

#include "../link/sim_process.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace kv;
using kv::test::ScriptedDialogs;
using kv::test::SimProcess;
using kv::test::TempDir;

namespace {

constexpr const char* kRaceId = "VANTA 8.1 RACE";
constexpr const char* kExId = "VANTA 8.1 EX";
constexpr const char* kTexId = "V1005T EX";

// A module image: every advance byte `advance`, then the seven parameter bytes.
std::string imageHex(int advance, int b36 = 28, int b37 = 0x08) {
    char buf[3];
    std::string hex;
    auto put = [&](int b) {
        std::snprintf(buf, sizeof buf, "%02x", b);
        hex += buf;
    };
    for (int i = 0; i < 32; ++i)
        put(advance);
    for (int b : {28, 28, 0, 2, b36, b37, 57})
        put(b);
    return hex;
}

int byteAt(const std::string& hex, int i) {
    return std::stoi(hex.substr(static_cast<std::size_t>(2 * i), 2), nullptr, 16);
}

struct Bench {
    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<MainWindow> w;

    explicit Bench(const QStringList& simArgs) {
        dir.copyAllData();
        sim = std::make_unique<SimProcess>(simArgs);
        EXPECT_TRUE(sim->started());
        auto settings = std::make_unique<PortSettings>(QString::fromStdString(dir.file("kv.ini")));
        settings->setDeviceOverride(1, QString::fromStdString(sim->device()));
        w = std::make_unique<MainWindow>(defaultBranding(), &dialogs,
                                         QString::fromStdString(dir.path().string()),
                                         std::move(settings));
        w->show();
        EXPECT_TRUE(dialogs.done());
    }

    void download() { w->action("mnuDownload")->trigger(); }
    void upload() { w->action("mnuUpload")->trigger(); }

    // Shows a table of `type` with every value `v`, as if just opened.
    void openTable(const std::string& type, double v) {
        ProgramState& s = w->state();
        s.TableType = type;
        s.AdvanceTable.fill(v);
        copyAdvanceTableToLive(s);
        CopyChartToGrid(s);
        w->liveTableChanged();
        w->setTableShown(true);
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

TEST(Download, ARaceModuleGivesItsTableAsDownloadedData) {
    Bench b({"--no-pace", "--id", kRaceId, "--image", QString::fromStdString(imageHex(57))});
    b.dialogs.expectMessage(std::string("Firmware ID: ") + kRaceId, Button::OK);
    b.download();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_EQ(b.dialogs.last().title, "Download From EEPROM");
    EXPECT_TRUE(b.w->tableShown());
    EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version 8.1 - Downloaded Data");
    for (int p = 1; p <= 16; ++p)
        for (int c = 1; c <= 2; ++c)
            EXPECT_EQ(b.w->state().live.value(c, p), 10.0);
    EXPECT_EQ(b.w->state().live.text(1, 16), "10.0");
    EXPECT_EQ(b.w->state().TableType, "RACE");
    EXPECT_FALSE(b.w->progressFrame()->isVisible());
}

TEST(Download, AdvanceAboveFortyIsKeptForRaceAndLimitedForEx) {
    {
        Bench b({"--no-pace", "--id", kRaceId, "--image", QString::fromStdString(imageHex(255))});
        b.dialogs.expectMessage({}, Button::OK);
        b.download();
        EXPECT_EQ(b.w->state().live.value(1, 3), 44.8);
    }
    Bench b({"--no-pace", "--id", kExId, "--image", QString::fromStdString(imageHex(255))});
    b.dialogs.expectMessage(std::string("Firmware ID: ") + kExId, Button::OK);
    b.download();
    ASSERT_TRUE(b.w->tableShown());
    EXPECT_EQ(b.w->state().TableType, "EX");
    for (int p = 1; p <= 16; ++p)
        for (int c = 1; c <= 2; ++c)
            EXPECT_EQ(b.w->state().live.value(c, p), b.w->state().ExMaxTable(p, c));
}

TEST(Download, ATexModuleWithoutItsLimitFileLeavesNoTable) {
    Bench b({"--no-pace", "--id", kTexId});
    std::filesystem::remove(b.dir.file("Tarrow_EX_Max.dat"));
    b.dialogs.expectMessage({}, Button::OK)
        .expectMessage("Tarrow_EX_Max.dat not found.", Button::OK);
    b.download();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_EQ(b.dialogs.last().title, "Form Load");
    EXPECT_FALSE(b.w->tableShown());
    EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version 8.1");
}

TEST(Download, EscapeWhileReadingEndsItWithNoTable) {
    Bench b({"--id", kRaceId});
    b.dialogs.expectMessage({}, Button::OK).expectMessage("Download failed.", Button::OK);
    duringProgress(*b.w, "Reading EEPROM", [&] { QTest::keyClick(b.w.get(), Qt::Key_Escape); });
    b.download();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_FALSE(b.w->tableShown());
    EXPECT_FALSE(b.w->state().AbortRequested);
    EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version 8.1 - Data Buffer Empty");
    for (auto byte : b.w->state().EEPROMBuffer)
        EXPECT_EQ(byte, 0);
}

constexpr const char* kDiffered =
    "Download failed - the module's data differed between two reads. Check the cable.";

// The image is read twice; one byte spoilt on the line, in either pass, fails the download.
TEST(Download, DataDifferingBetweenTwoReadsLeavesNoTable) {
    for (const char* noisy : {"noisy-read=3", "noisy-read=45"}) {
        Bench b({"--no-pace", "--id", kRaceId, "--fault", noisy});
        b.dialogs.expectMessage({}, Button::OK).expectMessage(kDiffered, Button::OK);
        b.download();
        ASSERT_TRUE(b.dialogs.done()) << noisy;
        EXPECT_EQ(b.dialogs.last().title, "Download From EEPROM");
        EXPECT_FALSE(b.w->tableShown()) << noisy;
        EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version 8.1 - Data Buffer Empty");
        for (auto byte : b.w->state().EEPROMBuffer)
            EXPECT_EQ(byte, 0);
    }
}

TEST(Download, CancelAtTheSaveQuestionChangesNothing) {
    Bench b({"--no-pace", "--id", kRaceId});
    b.openTable("RACE", 12.5);
    b.w->setCaption("Kestrel Vanta Version 8.1 - mine.tbl");
    b.dialogs.expectMessage("Save advance table before downloading?", Button::Cancel);
    b.download();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_TRUE(b.w->tableShown());
    EXPECT_EQ(b.w->windowTitle(), "Kestrel Vanta Version 8.1 - mine.tbl");
    EXPECT_EQ(b.w->state().live.value(1, 1), 12.5);
    EXPECT_TRUE(b.sim->log().empty()); // nothing was sent
}

TEST(Download, ASecondTransferCannotStartWhileOneRuns) {
    Bench b({"--id", kRaceId});
    b.dialogs.expectMessage({}, Button::OK);
    bool downloadOffered = true, uploadOffered = true, portFrameUsable = true;
    duringProgress(*b.w, "Reading EEPROM", [&] {
        downloadOffered = b.w->action("mnuDownload")->isEnabled();
        uploadOffered = b.w->action("mnuUpload")->isEnabled();
        portFrameUsable = b.w->portFrame()->isEnabled();
        b.w->mnuDownload_Click(); // a second start is refused at once
    });
    b.download();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_FALSE(downloadOffered);
    EXPECT_FALSE(uploadOffered);
    EXPECT_FALSE(portFrameUsable);
    EXPECT_TRUE(b.w->tableShown());
    EXPECT_TRUE(b.w->action("mnuDownload")->isEnabled());
}

TEST(Upload, TheModuleTypeDecidesWhichTablesItTakes) {
    struct Case {
        const char* id;
        const char* table;
        bool taken;
    } cases[] = {{kRaceId, "RACE", true}, {kRaceId, "EX", true}, {kRaceId, "TEX", true},
                 {kExId, "RACE", false},  {kExId, "EX", true},   {kExId, "TEX", false},
                 {kTexId, "RACE", false}, {kTexId, "EX", false}, {kTexId, "TEX", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " / " + c.table);
        Bench b({"--no-pace", "--id", c.id, "--image", QString::fromStdString(imageHex(0))});
        b.openTable(c.table, 10.0);
        b.dialogs.expectMessage(c.taken ? "Upload completed."
                                        : "Cannot upload - incorrect data for EX versions",
                                Button::OK);
        b.upload();
        ASSERT_TRUE(b.dialogs.done());
        EXPECT_EQ(b.dialogs.last().title, "Upload To EEPROM");
        EXPECT_EQ(b.w->state().TableType, c.table); // the table keeps its own type
        const std::string image = b.sim->stop();
        EXPECT_EQ(byteAt(image, 0), c.taken ? 57 : 0);
    }
}

TEST(Upload, SendsTheTableAsEditedNotAsLastOpened) {
    // A point dragged on the chart and a cell typed in the grid, each after the table
    // was opened with every value 10 (byte 57).
    const auto dragWot5Up = [](MainWindow& w) {
        QWidget* vp = w.chart()->viewport();
        const QPoint from = w.chart()->pointPosition(kWot, 5).toPoint();
        const QPoint to = from - QPoint(0, 60);
        const auto send = [vp](QEvent::Type t, QPoint at, Qt::MouseButton b,
                               Qt::MouseButtons held) {
            QMouseEvent ev(t, QPointF(at), QPointF(vp->mapToGlobal(at)), b, held, {});
            QApplication::sendEvent(vp, &ev);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    };
    const auto typeLow3 = [](MainWindow& w) {
        QAbstractItemModel* model = w.grid()->model();
        w.grid()->setCurrentCell(rowOfSeries(kLow), 3);
        EXPECT_TRUE(model->setData(model->index(rowOfSeries(kLow), 3), "25"));
    };
    struct Case {
        const char* what;
        std::function<void(MainWindow&)> edit;
        int series, point;
    } cases[] = {{"drag", dragWot5Up, kWot, 5}, {"typed", typeLow3, kLow, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b({"--no-pace", "--id", kRaceId, "--image", QString::fromStdString(imageHex(0))});
        b.openTable("RACE", 10.0);
        b.w->applyInteraction("RACE");
        ASSERT_TRUE(QTest::qWaitForWindowExposed(b.w.get()));
        c.edit(*b.w);
        const double edited = b.w->state().live.values(c.point, c.series);
        ASSERT_GT(edited, 12.0);
        b.dialogs.expectMessage("Upload completed.", Button::OK);
        b.upload();
        ASSERT_TRUE(b.dialogs.done());
        const std::string image = b.sim->stop();
        const int index = (c.series - 1) * kPoints + c.point - 1;
        EXPECT_EQ(byteAt(image, index), static_cast<int>(roundHalfEven(edited / 0.17578)));
        EXPECT_EQ(byteAt(image, index == 0 ? 1 : 0), 57); // the rest as opened
    }
}

TEST(Upload, TheModulesOwnBytesAreCarriedThrough) {
    struct Case {
        int b36, b37;
        bool kick;
        int want36, want37;
    } cases[] = {{200, 0x06, false, 28, 0x06}, {20, 0x06, true, 20, 0x16}};
    for (const Case& c : cases) {
        Bench b({"--no-pace", "--id", kRaceId, "--image",
                 QString::fromStdString(imageHex(0, c.b36, c.b37))});
        b.openTable("RACE", 10.0);
        b.w->state().params = ModuleParameters{};
        b.w->state().SelEEPROMTblFlag = false;
        b.w->state().KickStartFlag = c.kick;
        b.dialogs.expectMessage("Upload completed.", Button::OK);
        b.upload();
        ASSERT_TRUE(b.dialogs.done());
        const std::string image = b.sim->stop();
        EXPECT_EQ(byteAt(image, 32), 28);
        EXPECT_EQ(byteAt(image, 36), c.want36);
        EXPECT_EQ(byteAt(image, 37), c.want37);
    }
}

TEST(Upload, AWrongReadBackFailsTheVerification) {
    Bench b({"--no-pace", "--id", kRaceId, "--fault", "bad-read=5"});
    b.openTable("RACE", 10.0);
    b.dialogs.expectMessage("Upload aborted - EEPROM verification failed.", Button::OK);
    b.upload();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_EQ(b.dialogs.last().icon, Icon::Information);
}

TEST(Upload, NoModuleShowsTheTimeOutThenGivesUp) {
    Bench b({"--no-pace", "--fault", "no-reply"});
    b.openTable("RACE", 10.0);
    b.dialogs.expectError("RS-232 timeout. Check cable and click Abort.", Button::Abort)
        .expectMessage("Firmware ID read failed - cannot upload.", Button::OK);
    b.upload();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_EQ(b.w->state().TableType, "RACE");
}

TEST(Upload, AResizeDuringProgrammingLeavesItIntactAndUndoWaitsForTheEnd) {
    Bench b({"--id", kRaceId});
    b.openTable("RACE", 10.0);
    b.w->applyInteraction("RACE");
    QAbstractItemModel* grid = b.w->grid()->model();
    ASSERT_TRUE(grid->setData(grid->index(1, 1), "10")); // a step to undo, same value
    b.dialogs.expectMessage("Upload completed.", Button::OK);
    bool undoOffered = true;
    duringProgress(*b.w, "Programming EEPROM", [&] {
        b.w->resize(700, 500);
        undoOffered = b.w->action("mnuUndo")->isEnabled();
        QTest::keyClick(b.w.get(), Qt::Key_Z, Qt::ControlModifier);
    });
    b.upload();
    ASSERT_TRUE(b.dialogs.done());
    EXPECT_FALSE(undoOffered);
    EXPECT_EQ(b.w->state().live.text(1, 1), "10"); // not undone under the transfer
    EXPECT_TRUE(b.w->action("mnuUndo")->isEnabled());
    const std::string image = b.sim->stop();
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(byteAt(image, i), 57) << i;
    EXPECT_EQ(b.w->state().CommErrorCount, 0);
}

namespace {
struct CliRun {
    int status;
    std::string out, err;
};
CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(KV_BIN_DIR "/kestrel-vanta-cli"), args);
    p.waitForFinished(30000);
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}
} // namespace

TEST(CommandLine, DownloadWritesTheTableAndUploadProgramsIt) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("module.tbl"));
    {
        SimProcess sim(
            {"--no-pace", "--id", kExId, "--image", QString::fromStdString(imageHex(57))});
        const CliRun r =
            cli({"download", "--port", QString::fromStdString(sim.device()), "-o", file});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("Firmware ID: VANTA 8.1 EX"), std::string::npos);
        const CliRun shown = cli({"show", file, "--json"});
        EXPECT_NE(shown.out.find("\"type\": \"EX\""), std::string::npos) << shown.out;
    }
    SimProcess ex({"--no-pace", "--id", kExId});
    const CliRun up = cli({"upload", "--port", QString::fromStdString(ex.device()), file});
    EXPECT_EQ(up.status, 0) << up.err;
    EXPECT_EQ(up.out, "Upload completed.\n");
    EXPECT_EQ(byteAt(ex.stop(), 7), 57); // 10.0 at 3500 RPM, within the EX limit

    SimProcess tex({"--no-pace", "--id", kTexId});
    const CliRun refused = cli({"upload", "--port", QString::fromStdString(tex.device()), file});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Cannot upload - incorrect data for EX versions"),
              std::string::npos);
    EXPECT_EQ(cli({"download", "--port", "nowhere"}).status, 2);
}

TEST(CommandLine, DownloadOfDataThatDifferedWritesNothing) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("module.tbl"));
    SimProcess sim({"--no-pace", "--id", kRaceId, "--fault", "noisy-read=60"});
    const CliRun r = cli({"download", "--port", QString::fromStdString(sim.device()), "-o", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(kDiffered), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("module.tbl")));
}
