// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kv {

// A serial device as the system reports it.
struct SerialDevice {
    QString path;        // "/dev/ttyUSB0", "COM4"
    QString description; // "FT232R USB UART"
    QString maker;       // "FTDI"
};

// Where the port frame's device list comes from; the system's list unless replaced.
using DeviceSource = std::function<std::vector<SerialDevice>()>;

// The serial devices the system reports now (pseudo-terminals are not among them).
[[nodiscard]] std::vector<SerialDevice> systemSerialDevices();

// "/dev/ttyUSB0 – FT232R USB UART (FTDI)": the path, then what is known of the device.
[[nodiscard]] QString deviceLabel(const SerialDevice& device);

// Asks the device for the firmware identification as Download does, with the same 1 s
// deadline, on a port of its own: the identification, or nullopt when the device cannot
// be opened or gives none. Shows no prompt and changes no program state.
[[nodiscard]] std::optional<std::string> identifyModuleAt(const std::string& device);

} // namespace kv
