// SPDX-License-Identifier: GPL-3.0-or-later
// The routines through the real serial adapter against the emulator on a pseudo-terminal,
// the line settings and the pauses read back from the terminal and the emulator's byte log.
#include "link/protocol.h"
#include "link/ui/delay_timer.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_select_frame.h"
#include "link/ui/progress_frame.h"
#include "link/ui/qt_link_host.h"
#include "link/ui/serial_channel.h"
#include "scripted_module.h"
#include "sim_process.h"
#include "support/test_files.h"

#include <QComboBox>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <asm/termbits.h>
#include <filesystem>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace kv::test {
namespace {

// The pause takes its full length while other events run in it, on whichever system timer
// the build took (the portable one with KV_PORTABLE_POSIX).
TEST(DelayTimer, PausesTheFullTimeWhileEventsRun) {
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    const auto start = std::chrono::steady_clock::now();
    DelayTimer(5);
    EXPECT_TRUE(ran && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(5));
    EXPECT_THROW(DelayTimer(2147484), KvError) << "microseconds past 32 bits";
}

// The line runs 56000 baud, eight data bits, no parity, one stop bit, no flow control; an
// open that fails says why and names the port and its device.
TEST(SerialChannel, OpensAt56000Baud8N1OrSaysWhyAndNamesTheDevice) {
    RawPty pty, locked, readOnly;
    ::chmod(locked.device.c_str(), 0); // root's own is closed to any other user already
    ::chmod(readOnly.device.c_str(), 0644);
    SerialChannel holder([&](int) { return pty.device; });
    holder.open();
    EXPECT_EQ(holder.lowLatency(), SerialChannel::LowLatency::Refused); // a pty has no such mode
    // The settings as the terminal holds them, read from its other end's device.
    const int fd = ::open(pty.device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios2 t{};
    ASSERT_EQ(::ioctl(fd, TCGETS2, &t), 0);
    ::close(fd);
    EXPECT_EQ(std::tuple(t.c_ospeed, t.c_ispeed, t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS),
                         t.c_iflag & (IXON | IXOFF)),
              std::tuple(56000u, 56000u, static_cast<tcflag_t>(CS8), 0u));

    SerialChannel channel([&](int n) {
        const std::string odd[] = {"/dev/kv-no-such-port", locked.device, readOnly.device};
        return n >= 4 && n <= 6 ? odd[n - 4] : pty.device;
    });
    const auto refused = [&](int port, const char* why) {
        channel.setPort(port);
        try {
            channel.open();
        } catch (const KvError& e) {
            const std::string& d = e.description();
            EXPECT_NE(d.find("Com" + std::to_string(port) + " (" + channel.device() + ")"),
                      std::string::npos)
                << d;
            EXPECT_NE(d.find(why), std::string::npos) << d;
        }
        return !channel.isOpen();
    };
    EXPECT_TRUE(refused(4, "does not exist"));
    EXPECT_TRUE(refused(1, "is in use"));
    const char* dialout = "must be in the dialout group"; // unreadable, or readable only
    EXPECT_EQ(asOrdinaryUser([&] { return refused(5, dialout) && refused(6, dialout) ? 0 : 2; }),
              0);
}

struct SimLink : ::testing::Test {
    void start(QStringList args) {
        sim = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim->started());
    }
    std::unique_ptr<SimProcess> sim;
    ProgramState state;
    ScriptedDialogs dialogs;
    ScriptedHost progress; // only its progress frame is used
    SerialChannel channel{[this](int) { return sim->device(); }};
    QtLinkHost host{state, dialogs, channel, progress};
};

TEST_F(SimLink, WriteAndVerifyProgramTheModuleWithThePausesBetweenBytes) {
    start({});
    for (int i = 0; i < kImageSize; ++i)
        state.EEPROMBuffer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(250 - 3 * i);
    const QByteArray image(reinterpret_cast<const char*>(state.EEPROMBuffer.data()), kImageSize);
    WriteEEPROMData(host);
    EXPECT_TRUE(state.CommOKFlag && state.VerifyErrorCount == 0 && !channel.isOpen());
    // Every byte the tuner sends after a reply waits for the pause first. The emulator
    // logs a byte when it reads it, which a busy machine may delay but never advance, so
    // the data byte of a write, sent a pause after its command, not after a reply, is left out.
    long long lastReply = -1;
    int gaps = 0, operands = 0; // bytes still to come after a command: 2 for 0x14, 1 for 0x16
    std::uint8_t command = 0;
    for (const LoggedByte& e : sim->log()) {
        if (!e.received) {
            lastReply = e.us;
            continue;
        }
        if (lastReply >= 0 && !(operands > 0 && command == 0x16)) {
            ++gaps;
            EXPECT_GE(e.us - lastReply, 5000) << gaps;
        }
        if (operands > 0) {
            --operands;
        } else {
            command = e.byte;
            operands = command == 0x14 ? 2 : command == 0x16 ? 1 : 0;
        }
    }
    EXPECT_EQ(gaps, 2 + 39 + 3 + 39); // address, writes, address, reads
    EXPECT_EQ(sim->stop(), image.toHex().toStdString());
}

TEST_F(SimLink, ModuleThatDisappearsEndsTheExchangeWithAMessage) {
    start({"--no-pace"});
    channel.open();
    sim->kill(); // the cable pulled out
    dialogs.expectError("", Button::Abort);
    const auto t0 = std::chrono::steady_clock::now();
    ReadFirmwareID(host);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 2500ms);
    EXPECT_TRUE(dialogs.done() && !state.CommOKFlag && !channel.isOpen());
}

// The port chosen in the frame is stored, and selected again at the next start; a listed
// device is stored for that port alone; a stored value out of range is an error.
TEST(PortSetup, ChoicesAreStoredAndABadStoredValueIsRefused) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("settings.ini"));
    const auto value = [&](const char* key) {
        return QSettings(ini, QSettings::IniFormat).value(key).toString();
    };
    ProgramState state;
    ScriptedDialogs dialogs;
    ProgressFrame progress;
    PortSelectFrame frame;
    // The standard device of Com3 is reported too: it is listed once, as the standard.
    const auto controller = [&](std::vector<SerialDevice> devices = {{"/dev/ttyS2", "", ""},
                                                                     {"/dev/ttyUSB0", "", ""}}) {
        auto c = std::make_unique<LinkController>(state, dialogs, progress,
                                                  std::make_unique<PortSettings>(ini));
        c->attachPortFrame(frame);
        c->setDeviceSource([devices] { return devices; });
        return c;
    };
    auto* ports = frame.findChild<QComboBox*>("cboPort");
    auto* list = frame.findChild<QComboBox*>("cboDevice");
    {
        auto c = controller();
        c->loadStoredPort();
        EXPECT_EQ(value("Properties/CommPort"), "1");
        Q_EMIT ports->activated(2);
        frame.show();
        EXPECT_EQ(frame.listedDevices(), (QStringList{"/dev/ttyS2", "/dev/ttyUSB0"}));
        EXPECT_EQ(list->count(), 3);
        frame.setStatus("No module answered."); // a search's result goes with the choice
        Q_EMIT list->activated(1);
        EXPECT_TRUE(frame.findChild<QLabel*>("lblFindStatus")->isHidden());
    }
    EXPECT_EQ(value("Properties/CommPort") + " " + value("Ports/Com3") + " " + value("Ports/Com1"),
              "3 /dev/ttyUSB0 ");
    EXPECT_EQ(PortSettings(ini).deviceFor(1), "/dev/ttyS0"); // a port with no device of its own
    PortSettings(ini).setLastFolder("/srv/tunes");           // for the file dialogs' next start
    EXPECT_EQ(PortSettings(ini).lastFolder(), "/srv/tunes");
    progress.setCaption(std::string(80, 'W')); // a caption wider than the least width
    EXPECT_GE(progress.width(), progress.fontMetrics().horizontalAdvance(progress.title()));
    state.CommPort = 1;
    controller()->loadStoredPort();
    EXPECT_EQ(QString("%1 %2 ").arg(state.CommPort).arg(ports->currentIndex()) + frame.device(),
              "3 2 /dev/ttyUSB0");
    for (const char* bad : {"abc", "0", "256", "2.5"}) {
        QSettings(ini, QSettings::IniFormat).setValue("Properties/CommPort", bad);
        EXPECT_THROW(controller()->loadStoredPort(), KvError) << bad;
        EXPECT_EQ(state.CommPort, 3);
    }

    // Find module asks each listed device: No keeps the port's device, Yes takes the one
    // that answered (so both prompts were shown), and the button is offered again after
    // each search.
    SimProcess sim({"--id", "VANTA 8.1 EX", "--no-pace"});
    const QString found = QString::fromStdString(sim.device());
    auto c = controller({{"/dev/kv-none", "", ""}, {found, "", ""}});
    frame.hide();
    frame.show(); // the list read afresh
    EXPECT_EQ(list->itemText(0) + "|" + list->itemText(3),
              QString::fromUtf8("Standard: /dev/ttyS2|/dev/ttyUSB0 \u2013 stored for Com3"));
    const std::string question = "Module \"VANTA 8.1 EX\" answered on " + sim.device() +
                                 ".\r\n\r\nUse this device for Com3?";
    dialogs.expectMessage(question, Button::No).expectMessage(question, Button::Yes);
    auto* find = frame.findChild<QPushButton*>("cmdFindModule");
    for (const char* device : {"/dev/ttyUSB0", sim.device().c_str()}) {
        find->click();
        EXPECT_EQ(value("Ports/Com3"), device);
        EXPECT_TRUE(find->isEnabled());
    }
}

// The companion's link commands as a script runs them: the reply, or the exit status of
// a bad use (2) or a failure (1): a RACE table for a TEX module, a port that is not
// there or where nothing answers, a file it cannot write or read, a failed verification.
// Each download that read the module and each upload that completed is kept in the
// history, newest first; the failed ones are not.
TEST(CliLink, EveryCommandAgainstTheEmulator) {
    SimProcess sim({"--id", "V1005T-EX \"2\"", "--no-pace"});
    SimProcess faulty({"--fault", "bad-read=5", "--no-pace"});
    ASSERT_TRUE(sim.started() && faulty.started());
    RawPty silent;
    const QString port = QString::fromStdString(sim.device()), none = "/dev/kv-no-such-port",
                  quiet = QString::fromStdString(silent.device);
    QTemporaryDir dir;
    const QString table = dir.filePath("t.tbl"), saved = dir.filePath("module.tbl"),
                  unwritten = dir.filePath("no/such/m.tbl");
    // Advance bytes 57 then 1, 28, offset 56, retard 200, cranking 7, 20, flags, 58.
    const QString hex = QString("39").repeated(16) + QString("01").repeated(16) + "1c38c80714393a";
    // The arguments; the exit status; the start of standard output.
    std::vector<std::tuple<QStringList, int, QString>> cases = {
        {{"id", "--port", port, "--json"},
         0,
         R"({"FirmwareID": "V1005T-EX \"2\"", "type": "TEX"})"},
        {{"decode", hex, "--json"},
         0,
         R"({"type": "RACE", "params": {"RearOffset": 5, "RetardVal": 10, "CrankRevs": 3, )"
         R"("RPMLimit": 5800, "FixedLimFlag": true, "SelEEPROMTblFlag": true, )"
         R"("RetardEnableFlag": true, "KickStartFlag": true}, "WOT": [10, 10,)"},
        {{"new", "--type", "RACE", "--slope", "3", "-o", table}, 0, ""},
        {{"image", table, "--module", "36=60,37=255"},
         0,
         "26263d577085949ba1a3a3a3a19e9b992e2e577d9baeb8bdbfbfbebcb9b6b2af1c1c00021cce1e"},
        {{"download", "--port", port, "-o", saved}, 0, ""},
        {{"upload", "--port", port, saved}, 0, "Upload completed.\n"},
        {{"upload", "--port", port, table}, 1, ""},
        {{"history", "--json"},
         0,
         "{\"folder\": \"" + dir.filePath("data/KestrelVanta/Kestrel_Vanta_Main/history") +
             "\", \"entries\": [{\"path\": \""},
        {{"upload", "--port", QString::fromStdString(faulty.device()), saved}, 1, ""},
        {{"upload", "--port", port, dir.filePath("none.tbl")}, 1, ""},
        {{"download", "--port", port, "-o", unwritten}, 1, ""},
        {{"download", "--port", "nowhere"}, 2, ""},
        {{"image", dir.filePath("none.tbl")}, 1, ""},
        {{"id"}, 2, ""},
        {{"id", "--port", "printer"}, 2, ""},
        {{"decode", hex.left(76) + "zz"}, 2, ""},
        {{"image", table, "--module", "36=256"}, 2, ""}};
    for (const QString& bad : {none, quiet}) // a port that is not there, or where nothing answers
        cases.insert(cases.end(), {{{"upload", "--port", bad, saved}, 1, ""},
                                   {{"download", "--port", bad, "-o", unwritten}, 1, ""},
                                   {{"id", "--port", bad}, 1, ""}});
    // The exit status, a blank, then standard output.
    const auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KV_BIN_DIR "/kestrel-vanta-cli"), args);
        p.waitForFinished(10000);
        return QString::number(p.exitCode()) + " " + QString::fromUtf8(p.readAllStandardOutput());
    };
    for (const auto& [args, status, want] : cases)
        EXPECT_EQ(run(args).left(2 + want.size()), QString::number(status) + " " + want)
            << args.join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(unwritten));
    const QString out = run({"history", "--json"});
    const QStringList kept = out.split("\"path\": \"").mid(1);
    // The download whose file could not be written was still read from the module.
    ASSERT_EQ(kept.size(), 3) << out.toStdString();
    EXPECT_FALSE(QJsonDocument::fromJson(out.mid(2).toUtf8()).isNull()) << out.toStdString();
    EXPECT_TRUE(run({"history"}).contains(QRegularExpression("  download  TEX  0\\.0\\.\\.[1-9]")));
    // Newest first: that download, the upload, then the module's first download.
    const char* entries[] = {R"("direction": "download".*"first": false)",
                             R"(_upload_TEX(_\d+)?\.tbl", "time".*"direction": "upload", )"
                             R"("FirmwareID": "V1005T-EX \\"2\\"", "type": "TEX")",
                             R"("direction": "download".*"first": true)"};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(kept[i].contains(QRegularExpression(entries[i]))) << out.toStdString();
    EXPECT_EQ(run({"diff", saved, kept[1].section('"', 0, 0)}).left(2), "0 ");

    // A history folder its user may not write: told on standard error, the download done.
    TempDir home;
    const std::string data = home.file("data"), device = sim.device();
    std::filesystem::create_directory(data);
    ::chmod(data.c_str(), 0555); // the mode stays when the folder is given to the user
    ::chmod(device.c_str(), 0666);
    const std::string download = "XDG_DATA_HOME='" + data +
                                 "' '" KV_BIN_DIR "/kestrel-vanta-cli' download --port " + device +
                                 " -o '" + home.file("m.tbl") + "' 2>'" + home.file("err") + "'";
    EXPECT_EQ(asOrdinaryUser([&] { return std::system(download.c_str()); }, &home), 0);
    EXPECT_EQ(readAll(home.file("err")), "Firmware ID: V1005T-EX \"2\"\nWarning: the transfer "
                                         "could not be kept in the history folder " +
                                             data + "/KestrelVanta/Kestrel_Vanta_Main/history\n");
    EXPECT_TRUE(std::filesystem::exists(home.file("m.tbl")));
}

} // namespace
} // namespace kv::test
