// SPDX-License-Identifier: GPL-3.0-or-later
// USB serial adapters on Linux: their latency timer is a file in sysfs.
#include "link/usb_latency.h"

#include <charconv>
#include <filesystem>
#include <fstream>

namespace kv {

std::optional<int> usbLatencyTimerMs(const std::string& device, const std::string& sysRoot) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // /dev/serial/by-id/... names are links to the tty itself.
    fs::path tty = fs::canonical(device, ec);
    if (ec) tty = device;
    const std::string name = tty.filename().string();
    if (name.empty()) return std::nullopt;
    std::ifstream in(fs::path(sysRoot) / "bus" / "usb-serial" / "devices" / name / "latency_timer");
    std::string text;
    if (!std::getline(in, text)) return std::nullopt;
    int ms = 0;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (err != std::errc() || end == text.data() || ms < 0) return std::nullopt;
    return ms;
}

} // namespace kv
