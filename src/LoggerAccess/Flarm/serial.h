#pragma once

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo::flarm {

// The Flarm driver's own terminal device: raw 8N1 without flow control, non-blocking
// descriptor, reads that wait for data at most the receive time-out.
class serial {
  public:
    serial() = default;
    ~serial();
    serial(const serial&) = delete;
    serial& operator=(const serial&) = delete;

    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // Sets the highest standard speed not above baud (75 below 110).
    bool setBaudRate(std::uint32_t baud);
    // The output speed in force, in baud.
    std::uint32_t getBaudRate() const;
    // How long a read waits for the first byte [ms], scaled by the delay facility.
    bool setRcvTimeout(int milliseconds);

    // One read of up to buffer.size() bytes; fails when nothing arrived in time.
    bool read(MutableByteSpan buffer, std::size_t& count);
    bool read(std::uint8_t& byte);
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

    // The speed that setBaudRate(baud) selects.
    static speed_t speedFor(std::uint32_t baud);

  private:
    bool waitFor(short events, std::chrono::milliseconds timeout) const;
    bool applySettings();

    int m_fd = -1;
    std::chrono::milliseconds m_rcvTimeout{500};
    termios m_savedSettings{};
    termios m_settings{};
};

}  // namespace kelvo::flarm
