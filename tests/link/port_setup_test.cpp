// SPDX-License-Identifier: GPL-3.0-or-later
// The port choice: the frame, the stored setting and the controller the window owns.
#include "base/errors.h"
#include "link/ui/link_controller.h"
#include "link/ui/port_select_frame.h"
#include "link/ui/progress_frame.h"
#include "scripted_module.h"
#include "sim_process.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace kv {
namespace {

struct PortSetup : ::testing::Test {
    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("settings.ini"));
    ProgramState state;
    test::ScriptedDialogs dialogs;
    ProgressFrame progress;
    PortSelectFrame frame;

    std::unique_ptr<LinkController> controller() {
        auto c = std::make_unique<LinkController>(state, dialogs, progress,
                                                  std::make_unique<PortSettings>(ini));
        c->attachPortFrame(frame);
        return c;
    }
    QString stored() const {
        return QSettings(ini, QSettings::IniFormat).value("Properties/CommPort").toString();
    }
    void store(const QString& v) const {
        QSettings(ini, QSettings::IniFormat).setValue("Properties/CommPort", v);
    }
    QComboBox* combo() { return frame.findChild<QComboBox*>("cboPort"); }
    QComboBox* devices() { return frame.findChild<QComboBox*>("cboDevice"); }
    QStringList deviceTexts() {
        QStringList texts;
        for (int i = 0; i < devices()->count(); ++i)
            texts << devices()->itemText(i);
        return texts;
    }
    QString storedDevice(int port) const {
        return QSettings(ini, QSettings::IniFormat)
            .value(QStringLiteral("Ports/Com%1").arg(port))
            .toString();
    }
};

TEST_F(PortSetup, FrameListsEveryPortAndOkHidesIt) {
    EXPECT_EQ(frame.title(), "Data Port Setup");
    EXPECT_EQ(frame.findChild<QLabel*>("lblPort")->text(), "Port");
    ASSERT_EQ(combo()->count(), 255);
    EXPECT_EQ(combo()->itemText(0), "Com1");
    EXPECT_EQ(combo()->itemText(254), "Com255");
    EXPECT_TRUE(frame.isHidden());
    frame.show();
    frame.findChild<QPushButton*>("cmdPortSelectOK")->click();
    EXPECT_TRUE(frame.isHidden());
}

TEST_F(PortSetup, FirstRunCreatesTheSettingAndAChoiceIsSelectedAtTheNextStart) {
    {
        auto c = controller();
        c->loadStoredPort();
        EXPECT_EQ(state.CommPort, 1);
        EXPECT_EQ(combo()->currentIndex(), 0);
        EXPECT_EQ(stored(), "1");
        Q_EMIT combo()->activated(254);
        EXPECT_EQ(state.CommPort, 255);
        EXPECT_EQ(stored(), "255");
    }
    state.CommPort = 1;
    auto c = controller();
    c->loadStoredPort();
    EXPECT_EQ(state.CommPort, 255);
    EXPECT_EQ(combo()->currentIndex(), 254);
}

TEST_F(PortSetup, InvalidStoredValueIsAnErrorAndChangesNothing) {
    for (const char* bad : {"abc", "0", "256", "2.5"}) {
        store(bad);
        auto c = controller();
        EXPECT_THROW(c->loadStoredPort(), KvError) << bad;
        EXPECT_EQ(state.CommPort, 1);
        EXPECT_EQ(stored(), bad);
    }
}

TEST_F(PortSetup, FrameShowsTheDeviceIncludingAnOverride) {
    auto c = controller();
    c->loadStoredPort();
#if defined(Q_OS_LINUX)
    EXPECT_EQ(frame.device(), "/dev/ttyS0");
#endif
    c->settings().setDeviceOverride(3, "/dev/ttyUSB0");
    Q_EMIT combo()->activated(2);
    EXPECT_EQ(frame.device(), "/dev/ttyUSB0");
}

// A USB adapter whose latency timer holds replies back is named on the device line;
// one at 1 ms, or a device with no such timer, is not.
TEST_F(PortSetup, FrameWarnsOfASlowUsbLatencyTimer) {
    QDir(dir.path()).mkpath(QStringLiteral("bus/usb-serial/devices/ttyUSB7"));
    QDir(dir.path()).mkpath(QStringLiteral("bus/usb-serial/devices/ttyUSB8"));
    const auto timer = [&](const char* tty, const char* text) {
        QFile f(dir.filePath(
            QStringLiteral("bus/usb-serial/devices/%1/latency_timer").arg(QLatin1String(tty))));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    timer("ttyUSB7", "16\n");
    timer("ttyUSB8", "1\n");
    frame.setSysRoot(dir.path().toStdString());
    auto* note = frame.findChild<QLabel*>("lblLatency");
    const struct {
        const char* device;
        bool warned;
    } cases[] = {{"/dev/ttyUSB7", true}, {"/dev/ttyUSB8", false}, {"/dev/ttyS0", false}};
    for (const auto& c : cases) {
        frame.setDevice(QString::fromLatin1(c.device));
        EXPECT_EQ(frame.device(), QLatin1String(c.device));
        EXPECT_EQ(!note->isHidden(), c.warned) << c.device;
        if (c.warned) {
            EXPECT_TRUE(note->text().contains(QLatin1String("16 ms"))) << c.device;
        }
    }
}

TEST_F(PortSetup, ChangingPortOrSettingsClosesAnOpenPort) {
    test::SimProcess sim({"--no-pace"});
    ASSERT_TRUE(sim.started());
    auto c = controller();
    c->settings().setDeviceOverride(1, QString::fromStdString(sim.device()));
    c->loadStoredPort();
    c->channel().setPort(state.CommPort);
    c->channel().open();
    Q_EMIT combo()->activated(1);
    EXPECT_FALSE(c->channel().isOpen());
    EXPECT_EQ(state.CommPort, 2);

    Q_EMIT combo()->activated(0);
    c->channel().setPort(state.CommPort);
    c->channel().open();
    state.CommErrorCount = 2;
    c->applySettings();
    EXPECT_FALSE(c->channel().isOpen());
    EXPECT_EQ(state.CommErrorCount, 0);
    // The same settings hold when the port is opened again.
    c->channel().open();
    EXPECT_TRUE(c->channel().isOpen());
    c->closePortIfOpen();
    EXPECT_FALSE(c->channel().isOpen());
}

TEST_F(PortSetup, DeviceListIsReadOnOpeningAndAChoiceIsStoredForTheChosenPort) {
    std::vector<SerialDevice> reported = {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI"}};
    store("3");
    auto c = controller();
    c->setDeviceSource([&] { return reported; });
    c->loadStoredPort();
    frame.show();
#if defined(Q_OS_LINUX)
    EXPECT_EQ(deviceTexts(),
              (QStringList{"Standard: /dev/ttyS2", "/dev/ttyUSB0 – FT232R USB UART (FTDI)",
                           "Type a path..."}));
#endif
    // Opening again lists what is there now.
    frame.hide();
    reported.push_back({"/dev/ttyACM0", "", ""});
    frame.show();
    EXPECT_EQ(frame.listedDevices(), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"}));

    // A listed device, a typed path, the standard device again: stored for Com3 only.
    Q_EMIT devices()->activated(1);
    EXPECT_EQ(storedDevice(3), "/dev/ttyUSB0");
    EXPECT_EQ(frame.device(), "/dev/ttyUSB0");
    Q_EMIT devices()->activated(devices()->count() - 1);
    auto* path = frame.findChild<QLineEdit*>("txtDevicePath");
    ASSERT_TRUE(path->isVisible());
    path->setText("/tmp/vanta");
    Q_EMIT path->returnPressed();
    EXPECT_EQ(storedDevice(3), "/tmp/vanta");
    EXPECT_EQ(devices()->currentText(), "/tmp/vanta – stored for Com3"); // listed now
    Q_EMIT devices()->activated(0);
    EXPECT_EQ(storedDevice(3), "");
    EXPECT_EQ(stored(), "3");
    EXPECT_EQ(state.CommPort, 3);
}

TEST_F(PortSetup, FindModuleAsksEachListedDeviceOnlyWhenPressedAndOffersTheFirstThatAnswers) {
    test::SimProcess silent({"--no-pace", "--fault", "no-reply"});
    test::SimProcess module({"--no-pace", "--id", "V1005T EX 2.3"});
    ASSERT_TRUE(silent.started() && module.started());
    std::vector<SerialDevice> reported = {{"/dev/kv-no-such-device", "", ""},
                                          {QString::fromStdString(silent.device()), "", ""}};
    auto c = controller();
    c->setDeviceSource([&] { return reported; });
    c->loadStoredPort();
    frame.show();
    auto* find = frame.findChild<QPushButton*>("cmdFindModule");
    // The window locks out transfers for as long as the search says it runs.
    std::vector<bool> searching;
    QObject::connect(c.get(), &LinkController::searchingChanged,
                     [&](bool on) { searching.push_back(on && c->searching()); });

    dialogs.expectMessage("No module answered on the listed devices.", Button::OK);
    find->click();
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(searching, (std::vector<bool>{true, false}));
    EXPECT_FALSE(silent.log().empty()); // it was asked, and given its second to answer

    frame.hide();
    reported.push_back({QString::fromStdString(module.device()), "", ""});
    frame.show();
    EXPECT_TRUE(module.log().empty()); // listing sends nothing
    dialogs.expectMessage("Module \"V1005T EX 2.3\" answered on " + module.device() +
                              ".\r\n\r\nUse this device for Com1?",
                          Button::Yes);
    find->click();
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(storedDevice(1), QString::fromStdString(module.device()));
    EXPECT_EQ(stored(), "1");
    EXPECT_EQ(state.FirmwareID, ""); // asking is not a download
    EXPECT_TRUE(find->isEnabled());
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// Drawing the bar inside setValue would hold up the exchange that follows every byte; it
// must still be drawn soon after, and after a hide and a new show.
TEST(ProgressFrame, DrawsTheBarOnTheLoopsNextPassAndNeverLeavesItUndrawn) {
    QWidget window; // as in the main window: a frame inside a window already shown
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ProgressFrame f(&window);
    f.resize(200, 80);
    auto* bar = f.findChild<QProgressBar*>("prgProgress1");
    PaintCounter counter;
    bar->installEventFilter(&counter);
    EXPECT_TRUE(f.isHidden());
    f.setCaption("Reading EEPROM");
    f.setValue(0);
    f.showNow();
    EXPECT_EQ(f.title(), "Reading EEPROM");
    EXPECT_GT(counter.paints, 0);

    counter.paints = 0;
    f.setValue(50);
    EXPECT_EQ(bar->value(), 50);
    EXPECT_EQ(counter.paints, 0);
    QTest::qWait(50);
    EXPECT_GT(counter.paints, 0);

    f.setValue(97);
    f.hide();
    EXPECT_TRUE(f.isHidden());
    counter.paints = 0;
    f.setValue(0);
    f.showNow();
    EXPECT_GT(counter.paints, 0);
    EXPECT_TRUE(bar->updatesEnabled());
}

} // namespace
} // namespace kv
