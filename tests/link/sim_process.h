// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <cstdint>
#include <fcntl.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace kv::test {

// One line of the emulator's byte log.
struct LoggedByte {
    long long us;  // since the emulator started
    bool received; // sent by the tuner, received by the module
    std::uint8_t byte;
};

// vanta-module-sim run for one test, on a pseudo-terminal of its own, logging bytes.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args = {});
    ~SimProcess();

    [[nodiscard]] bool started() const { return !m_device.empty(); }
    [[nodiscard]] const std::string& device() const { return m_device; }
    [[nodiscard]] std::vector<LoggedByte> log() const;
    // Stops the emulator and returns the image it held at the end (78 hex digits).
    std::string stop();
    // Ends it without a word, like a cable pulled out.
    void kill();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    std::string m_device;
};

// A pseudo-terminal pair made by the test itself, to put bytes on the line at will.
struct RawPty {
    RawPty() : master(posix_openpt(O_RDWR | O_NOCTTY)) {
        grantpt(master);
        unlockpt(master);
        device = ptsname(master);
    }
    ~RawPty() { ::close(master); }
    int master;
    std::string device;
};

} // namespace kv::test
