// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_process.h"

#include <QDeadlineTimer>
#include <QFile>

namespace kv::test {

SimProcess::SimProcess(const QStringList& args) {
    m_process.start(QStringLiteral(KV_BIN_DIR "/vanta-module-sim"),
                    args + QStringList{"--log", m_dir.filePath(QStringLiteral("bytes.log"))});
    QDeadlineTimer deadline(5000);
    QByteArray out;
    while (!out.contains("ready\n") && !deadline.hasExpired() &&
           m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    if (out.contains("ready\n")) m_device = out.left(out.indexOf('\n')).toStdString();
}

SimProcess::~SimProcess() {
    if (m_process.state() != QProcess::NotRunning) stop();
}

std::vector<LoggedByte> SimProcess::log() const {
    std::vector<LoggedByte> entries;
    QFile f(m_dir.filePath(QStringLiteral("bytes.log")));
    if (!f.open(QIODevice::ReadOnly)) return entries;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const auto parts = line.split(' ');
        if (parts.size() != 3) continue;
        entries.push_back({parts[0].toLongLong(), parts[1] == "rx",
                           static_cast<std::uint8_t>(parts[2].toUInt(nullptr, 16))});
    }
    return entries;
}

std::string SimProcess::stop() {
    m_process.terminate();
    m_process.waitForFinished(5000);
    const QByteArray out = m_process.readAllStandardOutput();
    const auto at = out.indexOf("final ");
    return at < 0 ? std::string() : out.mid(at + 6, 78).toStdString();
}

void SimProcess::kill() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

} // namespace kv::test
