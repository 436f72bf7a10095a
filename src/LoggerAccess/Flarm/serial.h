#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "LoggerAccess/SerialPort.h"
#include "base/Bytes.h"

namespace kelvo::flarm {

// The Flarm driver's view of its serial port: raw 8N1 without flow control, reads that
// wait for data at most the receive time-out.
class serial {
  public:
    // A terminal device unless another port is given (tests use an in-memory one).
    explicit serial(std::unique_ptr<SerialPort> port = {});
    ~serial();
    serial(const serial&) = delete;
    serial& operator=(const serial&) = delete;

    // False (logged, the reason in lastError()) when the device cannot be had.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_port->isOpen(); }
    const std::string& lastError() const { return m_port->lastError(); }

    // Sets the highest standard speed not above baud (75 below 110).
    bool setBaudRate(std::uint32_t baud);
    // The speed in force, in baud; 0 when unknown.
    std::uint32_t getBaudRate() const;
    // How long a read waits for the first byte [ms], scaled by the delay facility.
    bool setRcvTimeout(int milliseconds);

    // One read of up to buffer.size() bytes; fails when nothing arrived in time.
    bool read(MutableByteSpan buffer, std::size_t& count);
    bool read(std::uint8_t& byte);
    // One byte of an answer that has begun: awaited the receive time-out, or a slow link's
    // gap (SerialPort::kAnswerGap) when that is longer.
    bool readInAnswer(std::uint8_t& byte);
    // Succeeds when every byte was written.
    bool write(ByteSpan bytes);
    bool write(std::uint8_t byte);
    bool writeStr(std::string_view text);
    bool writeLn(std::string_view text);
    // Reads one line into line, the line feed included. Carriage returns before the first
    // stored byte are skipped. Fails after max bytes without a line feed, or when a read
    // brings nothing.
    bool readLn(std::string& line, std::size_t max);
    // Discards pending input and output.
    bool flush();

    // The line itself, for the text sentences (NmeaLink).
    SerialPort& line() { return *m_port; }

  private:
    std::chrono::milliseconds firstByteWait() const;

    std::unique_ptr<SerialPort> m_port;
    std::chrono::milliseconds m_rcvTimeout{500};
};

}  // namespace kelvo::flarm
