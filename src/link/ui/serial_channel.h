// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/channel.h"
#include "link/serial_line.h"

#include <QObject>
#include <QSerialPort>
#include <chrono>
#include <deque>
#include <functional>
#include <string>

namespace kv {

// The Channel on a real serial port: 56000 baud, 8 data bits, no parity, one stop bit,
// no flow control, DTR on and RTS off where the device has them, null bytes kept and a
// 256-byte receive buffer. Line errors come from the kernel's error counters (Linux)
// and from the receive buffer overflowing; they reach the event handler through the
// event loop, never from inside a wait.
class SerialChannel : public QObject, public Channel {
    Q_OBJECT

public:
    // The device a port number stands for ("/dev/ttyS0", "COM1", a pseudo-terminal).
    using Resolver = std::function<std::string(int number)>;

    static constexpr std::size_t kReceiveBufferSize = 256;

    explicit SerialChannel(Resolver resolver, QObject* parent = nullptr);
    // One device whatever the port number (a path given on a command line).
    explicit SerialChannel(std::string device, QObject* parent = nullptr);
    ~SerialChannel() override;

    // The line settings; they hold for every later open.
    void applySettings();

    void setPort(int number) override;
    void open() override;
    void close() override;
    [[nodiscard]] bool isOpen() const override;
    [[nodiscard]] std::size_t bytesWaiting() override;
    void clearInput() override;
    std::uint8_t takeByte() override;
    void send(std::span<const std::uint8_t> bytes) override;

    // Returns once bytes arrived, the port closed or the deadline passed; with `yield`
    // the event loop runs meanwhile, without it the call blocks on the port.
    void waitForInput(std::chrono::steady_clock::time_point deadline, bool yield);

    // Told when a wait that keeps the event loop from running starts (true) and ends
    // (false), so that a measurement of the interface's responsiveness can leave it out.
    using BlockingWaitObserver = std::function<void(bool started)>;
    void setBlockingWaitObserver(BlockingWaitObserver observer) {
        m_blockingWaitObserver = std::move(observer);
    }

    // While a hold lasts, close() lets go of the port in every respect but the device
    // itself, which stays open underneath so that the next open() of the same device is
    // instant: a command's exchanges close and reopen the port several times, and a
    // device open costs the better part of a millisecond. The device is let go when the
    // last hold ends, or at once if another device is wanted.
    class Hold {
    public:
        explicit Hold(SerialChannel& channel) : m_channel(channel) { ++m_channel.m_holds; }
        ~Hold() {
            if (--m_channel.m_holds == 0) m_channel.releaseDevice();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        SerialChannel& m_channel;
    };

    [[nodiscard]] int port() const { return m_number; }

    // Whether the driver agreed, at the last opening of the device, to pass received
    // bytes on at once (see requestLowLatency).
    enum class LowLatency { NotAsked, On, Refused };
    [[nodiscard]] LowLatency lowLatency() const { return m_lowLatency; }
    // The device the current port number resolves to.
    [[nodiscard]] std::string device() const { return m_resolver(m_number); }

Q_SIGNALS:
    // The port was closed (the device may still be held).
    void closed();

private:
    void openDevice(const std::string& dev);
    void releaseDevice();
    void pull();
    void pollLineErrors();
    void postEvent(int code);
    void onPortError(QSerialPort::SerialPortError error);
    [[noreturn]] void fail(const std::string& description) const;
    void requireOpen() const;
    [[nodiscard]] std::string portLabel() const;

    QSerialPort m_port;
    // The port as the exchanges see it; m_port may stay open under a Hold after close().
    bool m_open = false;
    LowLatency m_lowLatency = LowLatency::NotAsked;
    int m_holds = 0;
    std::string m_heldDevice;
    Resolver m_resolver;
    bool m_fixedDevice = false;
    int m_number = 1;
    std::deque<std::uint8_t> m_received;
    std::string m_lostReason;
    bool m_overflowed = false;
    // The kernel's counts of framing, overrun, buffer overrun and parity errors as last
    // seen; counting is off where the device has no counters (pseudo-terminals).
    bool m_countersAvailable = false;
    LineErrorCounts m_counts{};
    BlockingWaitObserver m_blockingWaitObserver;
};

} // namespace kv
