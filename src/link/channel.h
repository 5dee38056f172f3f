// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>

namespace kv {

// The serial line to the module, reduced to what the exchanges use. Every operation
// except setPort, open, close and isOpen fails with a KvError while the port is closed,
// which is how a transfer notices that the port was closed under it.
class Channel {
public:
    virtual ~Channel() = default;

    // The port number 1..255 ("Com<N>"), taken into account at the next open.
    virtual void setPort(int number) = 0;
    // Throws a KvError with a text of ours when the port is missing, in use or refused.
    virtual void open() = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isOpen() const = 0;

    [[nodiscard]] virtual std::size_t bytesWaiting() = 0;
    // Discards every received byte not yet taken.
    virtual void clearInput() = 0;
    // Removes and returns the oldest received byte.
    virtual std::uint8_t takeByte() = 0;
    // Queues the bytes for transmission and returns at once.
    virtual void send(std::span<const std::uint8_t> bytes) = 0;

    // Line-error events (the codes below and any other event the channel reports),
    // delivered while the program yields to its event loop.
    using EventHandler = std::function<void(int eventCode)>;
    void setEventHandler(EventHandler handler) { m_eventHandler = std::move(handler); }

protected:
    void raiseEvent(int eventCode) {
        if (m_eventHandler) m_eventHandler(eventCode);
    }

private:
    EventHandler m_eventHandler;
};

// The event codes of the line: the six errors the program reports, and the ordinary
// events it ignores.
namespace comm_event {
inline constexpr int Send = 1;
inline constexpr int Receive = 2;
inline constexpr int Break = 1001;
inline constexpr int Framing = 1004;
inline constexpr int Overrun = 1006;
inline constexpr int RxOver = 1008;
inline constexpr int RxParity = 1009;
inline constexpr int TxFull = 1010;
inline constexpr int Dcb = 1011;
} // namespace comm_event

} // namespace kv
