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

#include <QComboBox>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <asm/termbits.h>
#include <sys/ioctl.h>

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

TEST(SerialChannel, OpenedLineRuns56000Baud8N1) {
    RawPty pty;
    SerialChannel channel([&](int) { return pty.device; });
    channel.open();
    // The settings as the terminal holds them, read from its other end's device.
    const int fd = ::open(pty.device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios2 t{};
    ASSERT_EQ(::ioctl(fd, TCGETS2, &t), 0);
    ::close(fd);
    EXPECT_EQ(t.c_ospeed, 56000u);
    EXPECT_EQ(t.c_ispeed, 56000u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u)
        << "no parity, one stop bit, no flow control";
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST(SerialChannel, OpeningThatFailsSaysWhyAndNamesTheDevice) {
    RawPty pty;
    SerialChannel holder([&](int) { return pty.device; });
    holder.open();
    SerialChannel channel([&](int n) { return n == 4 ? "/dev/kv-no-such-port" : pty.device; });
    for (const auto& [port, why] : {std::pair{4, "does not exist"}, {1, "is in use"}}) {
        channel.setPort(port);
        try {
            channel.open();
            ADD_FAILURE() << "Com" << port << " opened";
        } catch (const KvError& e) {
            EXPECT_TRUE(e.description().starts_with("Com" + std::to_string(port)))
                << e.description();
            EXPECT_NE(e.description().find(channel.device()), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(why), std::string::npos) << e.description();
        }
        EXPECT_FALSE(channel.isOpen());
    }
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

TEST_F(SimLink, IdentificationGivesTheTableType) {
    start({"--id", "V1005T EX 2.3", "--no-pace"});
    ReadFirmwareID(host);
    EXPECT_TRUE(state.CommOKFlag);
    EXPECT_EQ(state.FirmwareID, "V1005T EX 2.3");
    EXPECT_EQ(state.TableType, "TEX");
    EXPECT_FALSE(channel.isOpen());
}

TEST_F(SimLink, WriteAndVerifyProgramTheModuleWithThePausesBetweenBytes) {
    start({});
    for (int i = 0; i < kImageSize; ++i)
        state.EEPROMBuffer[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(250 - 3 * i);
    const QByteArray image(reinterpret_cast<const char*>(state.EEPROMBuffer.data()), kImageSize);
    WriteEEPROMData(host);
    EXPECT_TRUE(state.CommOKFlag);
    EXPECT_EQ(state.VerifyErrorCount, 0);
    EXPECT_FALSE(channel.isOpen());
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
    EXPECT_TRUE(dialogs.done());
    EXPECT_FALSE(state.CommOKFlag);
    EXPECT_FALSE(channel.isOpen());
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
    const auto controller = [&] {
        auto c = std::make_unique<LinkController>(state, dialogs, progress,
                                                  std::make_unique<PortSettings>(ini));
        c->attachPortFrame(frame);
        c->setDeviceSource([] { return std::vector<SerialDevice>{{"/dev/ttyUSB0", "", ""}}; });
        return c;
    };
    auto* ports = frame.findChild<QComboBox*>("cboPort");
    {
        auto c = controller();
        c->loadStoredPort();
        EXPECT_EQ(value("Properties/CommPort"), "1");
        Q_EMIT ports->activated(2);
        frame.show();
        EXPECT_EQ(frame.listedDevices(), QStringList{"/dev/ttyUSB0"});
        Q_EMIT frame.findChild<QComboBox*>("cboDevice")->activated(1);
    }
    EXPECT_EQ(value("Properties/CommPort"), "3");
    EXPECT_EQ(value("Ports/Com3"), "/dev/ttyUSB0");
    EXPECT_EQ(value("Ports/Com1"), "");
    state.CommPort = 1;
    controller()->loadStoredPort();
    EXPECT_EQ(state.CommPort, 3);
    EXPECT_EQ(ports->currentIndex(), 2);
    EXPECT_EQ(frame.device(), "/dev/ttyUSB0");
    for (const char* bad : {"abc", "0", "256", "2.5"}) {
        QSettings(ini, QSettings::IniFormat).setValue("Properties/CommPort", bad);
        EXPECT_THROW(controller()->loadStoredPort(), KvError) << bad;
        EXPECT_EQ(state.CommPort, 3);
    }
}

// The companion's link commands as a script runs them: the reply, or the exit status of
// a bad use (2) or a failure (1), such as a RACE table for a TEX module.
TEST(CliLink, EveryCommandAgainstTheEmulator) {
    SimProcess sim({"--id", "V1005T-EX \"2\"", "--no-pace"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const QString table = dir.filePath("t.tbl"), saved = dir.filePath("module.tbl");
    // Advance bytes 57 then 1, 28, offset 56, retard 200, cranking 7, 20, flags, 58.
    const QString hex = QString("39").repeated(16) + QString("01").repeated(16) + "1c38c80714393a";
    const struct {
        QStringList args;
        int status;
        QString out; // the start of standard output
    } cases[] = {
        {{"id", "--port", QString::fromStdString(sim.device()), "--json"},
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
        {{"download", "--port", QString::fromStdString(sim.device()), "-o", saved}, 0, ""},
        {{"upload", "--port", QString::fromStdString(sim.device()), saved},
         0,
         "Upload completed.\n"},
        {{"upload", "--port", QString::fromStdString(sim.device()), table}, 1, ""},
        {{"id", "--port", "/dev/kv-no-such-port"}, 1, ""},
        {{"download", "--port", "nowhere"}, 2, ""},
        {{"image", dir.filePath("none.tbl")}, 1, ""},
        {{"id"}, 2, ""},
        {{"id", "--port", "printer"}, 2, ""},
        {{"decode", hex.left(76) + "zz"}, 2, ""},
        {{"image", table, "--module", "36=256"}, 2, ""},
    };
    for (const auto& c : cases) {
        QProcess p;
        p.start(QStringLiteral(KV_BIN_DIR "/kestrel-vanta-cli"), c.args);
        p.waitForFinished(10000);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.exitCode(), c.status) << c.args.join(' ').toStdString();
        EXPECT_EQ(out.left(c.out.size()), c.out) << c.args.join(" ").toStdString();
    }
}

} // namespace
} // namespace kv::test
