#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/SerialPort.h"
#include "sim/SimulatedLink.h"

namespace kelvo::sim {

// A serial port in memory, for tests of link code that need no pseudo-terminal. The
// device side is a responder that hears each chunk the host writes and answers with the
// bytes to send back; sendToHost() sends unasked. Faults: silence (answers are heard and
// withheld), a flipped byte at an offset of what is sent to the host, a line that goes
// dead after a number of bytes, pacing at a line rate and a link (USB, Bluetooth) after it,
// so that a read gets only the bytes that have arrived by its deadline. Everything the host
// writes and every speed it sets is recorded.
//
// One host thread and the test thread may use it at once; the responder runs on the host
// thread, outside the port's lock.
class MemoryPort : public SerialPort {
  public:
    using Responder = std::function<Bytes(ByteSpan written)>;

    // SerialPort: open() succeeds for any path unless refuseOpen() was called.
    bool open(const std::string& path) override;
    void close() override;
    bool isOpen() const override;
    bool setSpeed(int baud) override;
    int speed() const override;
    std::size_t write(ByteSpan bytes) override;
    std::size_t read(MutableByteSpan buffer, std::chrono::milliseconds timeout) override;
    bool flush(Queue queue) override;
    bool drain() override { return isOpen(); }

    // The device side.
    void setResponder(Responder responder);
    void sendToHost(ByteSpan bytes);
    void refuseOpen(std::string reason);
    void setSilent(bool silent);
    void corruptAt(std::size_t offset);    // of the bytes sent to the host since the start
    void dropAfter(std::size_t count);     // bytes sent to the host since the start
    void setLineRate(int bytesPerSecond);  // 0: every byte arrives at once
    void setLink(LinkKind kind, std::uint64_t seed);

    // What the host did.
    Bytes written() const;
    std::vector<int> speeds() const;  // every speed set, in order
    std::string openedPath() const;

  private:
    using Clock = std::chrono::steady_clock;
    struct Arrival {
        std::uint8_t byte;
        Clock::time_point at;
    };

    void queueLocked(ByteSpan bytes);
    std::size_t takeArrivedLocked(MutableByteSpan buffer);

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    Responder m_responder;
    std::optional<std::string> m_refusal;
    std::string m_path;
    bool m_open = false;
    int m_speed = -1;
    bool m_silent = false;
    std::optional<std::size_t> m_corruptOffset;
    std::optional<std::size_t> m_dropAfter;
    int m_lineRate = 0;
    Clock::time_point m_lineFreeAt{};  // when the device's UART has sent what it was given
    std::unique_ptr<LinkShaper> m_link;
    std::size_t m_sentToHost = 0;
    std::deque<Arrival> m_toHost;
    Bytes m_written;
    std::vector<int> m_speeds;
};

}  // namespace kelvo::sim
