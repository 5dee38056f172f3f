// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/serial_channel.h"

#include "base/errors.h"
#include "link/port_map.h"
#include "link/protocol.h"
#include "link/serial_line.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace kv {
namespace {

constexpr qint32 kBaudRate = 56000;

// The port's own handle, as the system calls it.
std::intptr_t nativeHandle(const QSerialPort& port) {
#if defined(Q_OS_WIN)
    return reinterpret_cast<std::intptr_t>(port.handle());
#else
    return static_cast<std::intptr_t>(port.handle());
#endif
}

} // namespace

SerialChannel::SerialChannel(Resolver resolver, QObject* parent)
    : QObject(parent), m_resolver(std::move(resolver)) {
    applySettings();
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        pull();
        pollLineErrors();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialChannel::onPortError);
}

SerialChannel::SerialChannel(std::string device, QObject* parent)
    : SerialChannel([device](int) { return device; }, parent) {
    m_fixedDevice = true;
}

SerialChannel::~SerialChannel() {
    m_port.close();
}

void SerialChannel::applySettings() {
    releaseDevice(); // the settings are for the next open, which starts afresh
    m_port.setBaudRate(kBaudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    // Bytes are kept here, in the 256-byte buffer of our own; the port's must not stop
    // reading before that buffer has seen its overflow.
    m_port.setReadBufferSize(0);
}

void SerialChannel::setPort(int number) {
    if (!m_open) m_number = number;
}

std::string SerialChannel::portLabel() const {
    return m_fixedDevice ? device() : portName(m_number) + " (" + device() + ")";
}

void SerialChannel::fail(const std::string& description) const {
    throw KvError(kErrCommOrOpen, kCommErrorSource, description);
}

void SerialChannel::open() {
    if (m_open) fail(portLabel() + " is already open.");
    const std::string dev = device();
    if (m_port.isOpen() && dev != m_heldDevice) m_port.close();
    if (m_port.isOpen()) {
        // Held since the last close: what arrived meanwhile is not for this opening.
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
        m_port.clearError();
    } else {
        openDevice(dev);
    }
    m_heldDevice = dev;
    m_open = true;
    m_received.clear();
    m_lostReason.clear();
    m_overflowed = false;
    m_countersAvailable = updateLineErrorCounts(nativeHandle(m_port), m_counts);
}

void SerialChannel::openDevice(const std::string& dev) {
    m_port.setPortName(QString::fromStdString(dev));
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto error = m_port.error();
        const std::string detail = m_port.errorString().toStdString();
        m_port.clearError();
        switch (error) {
        case QSerialPort::DeviceNotFoundError:
            fail(portLabel() + " does not exist. Choose another port under Port Setup.");
        case QSerialPort::PermissionError:
            if (!userMayUseDevice(dev))
                fail("No permission to use " + portLabel() +
                     ". The user must be in the dialout group (for example: sudo usermod "
                     "-aG dialout $USER, then log in again).");
            fail(portLabel() + " is in use by another program.");
        case QSerialPort::OpenError:
            fail(portLabel() + " is in use by another program.");
        default:
            fail(portLabel() + " could not be opened: " + detail);
        }
    }
    // A pseudo-terminal or a bare adapter may have no modem lines; the module does
    // not need them, so a refusal is no failure.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    m_lowLatency = requestLowLatency(nativeHandle(m_port)) ? LowLatency::On : LowLatency::Refused;
}

void SerialChannel::close() {
    const bool wasOpen = m_open;
    m_open = false;
    m_received.clear();
    if (m_holds == 0) releaseDevice();
    if (wasOpen) Q_EMIT closed();
}

void SerialChannel::releaseDevice() {
    if (!m_open && m_port.isOpen()) m_port.close();
}

bool SerialChannel::isOpen() const {
    return m_open;
}

void SerialChannel::requireOpen() const {
    if (m_open) return;
    fail(m_lostReason.empty() ? portLabel() + " is not open." : m_lostReason);
}

void SerialChannel::pull() {
    if (!m_open || m_port.bytesAvailable() == 0) return;
    const QByteArray data = m_port.readAll();
    const auto room = kReceiveBufferSize - m_received.size();
    const auto kept = std::min<std::size_t>(room, static_cast<std::size_t>(data.size()));
    m_received.insert(m_received.end(), data.begin(), data.begin() + static_cast<qsizetype>(kept));
    if (kept < static_cast<std::size_t>(data.size())) {
        if (!m_overflowed) postEvent(comm_event::RxOver);
        m_overflowed = true;
    }
}

void SerialChannel::pollLineErrors() {
    if (!m_countersAvailable || !m_open) return;
    LineErrorCounts now = m_counts;
    if (!updateLineErrorCounts(nativeHandle(m_port), now)) return;
    static constexpr int codes[4] = {comm_event::Framing, comm_event::Overrun, comm_event::RxOver,
                                     comm_event::RxParity};
    for (std::size_t i = 0; i < now.size(); ++i)
        if (now[i] != m_counts[i]) postEvent(codes[i]);
    m_counts = now;
}

void SerialChannel::postEvent(int code) {
    QMetaObject::invokeMethod(
        this, [this, code] { raiseEvent(code); }, Qt::QueuedConnection);
}

void SerialChannel::onPortError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError) return;
    // The device went away (an adapter pulled out): the port is closed so that every
    // later operation fails with this reason instead of waiting for its deadline.
    const bool wasOpen = m_open;
    const std::string reason = portLabel() + " stopped working (" +
                               m_port.errorString().toStdString() + "). Check the cable.";
    m_port.clearError();
    close();
    m_port.close(); // nothing left to hold
    if (wasOpen) m_lostReason = reason;
}

std::size_t SerialChannel::bytesWaiting() {
    requireOpen();
    pull();
    return m_received.size();
}

void SerialChannel::clearInput() {
    requireOpen();
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    m_received.clear();
    m_overflowed = false;
}

std::uint8_t SerialChannel::takeByte() {
    requireOpen();
    pull();
    if (m_received.empty()) fail("Nothing was received on " + portLabel() + ".");
    const std::uint8_t b = m_received.front();
    m_received.pop_front();
    if (m_received.size() < kReceiveBufferSize) m_overflowed = false;
    return b;
}

void SerialChannel::send(std::span<const std::uint8_t> bytes) {
    requireOpen();
    const auto n = static_cast<qint64>(bytes.size());
    if (m_port.write(reinterpret_cast<const char*>(bytes.data()), n) != n)
        fail("Sending on " + portLabel() + " failed: " + m_port.errorString().toStdString());
    // Hand the bytes to the driver now: the pauses and deadlines count from this moment.
    m_port.flush();
}

void SerialChannel::waitForInput(std::chrono::steady_clock::time_point deadline, bool yield) {
    using namespace std::chrono;
    if (!m_open) return;
    pull();
    const auto left = deadline - steady_clock::now();
    if (left <= steady_clock::duration::zero()) return;
    const int ms = static_cast<int>(ceil<milliseconds>(left).count());
    if (!yield) {
        if (m_blockingWaitObserver) m_blockingWaitObserver(true);
        m_port.waitForReadyRead(ms);
        if (m_blockingWaitObserver) m_blockingWaitObserver(false);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&m_port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    connect(this, &SerialChannel::closed, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

} // namespace kv
