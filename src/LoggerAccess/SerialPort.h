#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/Bytes.h"

namespace kelvo {

// One serial line to a recorder, as the three recorder families' link code sees it: raw
// 8N1 bytes without flow control, a line speed, and reads that never wait past their own
// deadline whatever the device or another process does to the line. TerminalPort is the
// one implementation on real devices; tests may use an in-memory port.
//
// One thread at a time talks over a port.
class SerialPort {
  public:
    enum class Queue { Input, Output, Both };

    // Once an answer has begun, a gap this long between its bytes is still a slow link (a
    // USB adapter passes bytes on in chunks, a Bluetooth link stalls for half a second now
    // and then), not a cut-off answer. A property of the link: not shortened in tests.
    static constexpr std::chrono::milliseconds kAnswerGap{1000};

    virtual ~SerialPort() = default;

    // Opens the device at path for this process alone. False, with lastError() naming the
    // path and the reason ("... is not a serial port", "... is in use by another program"),
    // when the device cannot be had; nothing has then been written to it.
    virtual bool open(const std::string& path) = 0;
    // Restores the line as it was found and closes it; closing a closed port does nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Sets the nearest standard speed at or below baud (230400 at most, 75 below 110) in
    // both directions. False when the line refuses it (errno tells why).
    virtual bool setSpeed(int baud) = 0;
    // The speed in force [baud]: -1 when the directions differ or the line cannot be asked.
    virtual int speed() const = 0;

    // Writes every byte, waiting a bounded time for room; the count written.
    virtual std::size_t write(ByteSpan bytes) = 0;
    // Waits at most timeout for the first byte, then takes what has arrived, at most
    // buffer.size(); the count read, 0 on a quiet line or a closed port.
    virtual std::size_t read(MutableByteSpan buffer, std::chrono::milliseconds timeout) = 0;
    // Discards what was received and not read, or written and not sent.
    virtual bool flush(Queue queue) = 0;
    // Waits until everything written has left.
    virtual bool drain() = 0;

    // Why the last open failed, for the pilot: one line naming the path; empty after an
    // open that succeeded.
    const std::string& lastError() const { return m_lastError; }

    // Reads until buffer is full or timeout has passed since the call; the count read.
    std::size_t readFully(MutableByteSpan buffer, std::chrono::milliseconds timeout);
    // Reads an answer until buffer is full: its first byte within firstByte (how a silent
    // recorder is told), each further byte within gap of the one before; the count read.
    std::size_t readAnswer(MutableByteSpan buffer, std::chrono::milliseconds firstByte,
                           std::chrono::milliseconds gap = kAnswerGap);
    // One byte within timeout.
    bool readByte(std::uint8_t& byte, std::chrono::milliseconds timeout);
    bool writeByte(std::uint8_t byte) { return write(ByteSpan(&byte, 1)) == 1; }

    // The standard speed that setSpeed(baud) selects [baud].
    static int standardSpeedAtOrBelow(int baud);

  protected:
    void setLastError(std::string reason) { m_lastError = std::move(reason); }

  private:
    std::string m_lastError;
};

}  // namespace kelvo
