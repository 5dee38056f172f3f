// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/serial_devices.h"

#include "link/protocol.h"
#include "link/ui/qt_link_host.h"
#include "link/ui/serial_channel.h"

#include <QSerialPortInfo>

namespace kv {
namespace {

// Every failure of a probe is only a device that did not answer: nobody is asked.
class SilentDialogs : public Dialogs {
public:
    Button message(const std::string&, const std::string&, Buttons buttons, Icon) override {
        return cancellingAnswer(buttons);
    }
    std::optional<std::string> input(const std::string&, const std::string&,
                                     const std::string&) override {
        return std::nullopt;
    }
    std::string openFile(const std::string&, const std::string&) override { return {}; }
    std::string saveFile(const std::string&, const std::string&) override { return {}; }
};

} // namespace

std::vector<SerialDevice> systemSerialDevices() {
    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back({info.systemLocation(), info.description(), info.manufacturer()});
    return devices;
}

QString deviceLabel(const SerialDevice& device) {
    QString label = device.path;
    if (!device.description.isEmpty()) label += QStringLiteral(" \u2013 ") + device.description;
    if (!device.maker.isEmpty() && !device.description.contains(device.maker))
        label += QStringLiteral(" (") + device.maker + QLatin1Char(')');
    return label;
}

std::optional<std::string> identifyModuleAt(const std::string& device) {
    ProgramState state;
    SilentDialogs dialogs;
    NoProgress progress;
    SerialChannel channel(device);
    channel.applySettings();
    QtLinkHost host(state, dialogs, channel, progress);
    ReadFirmwareID(host);
    channel.close();
    if (!state.CommOKFlag) return std::nullopt;
    return state.FirmwareID;
}

} // namespace kv
