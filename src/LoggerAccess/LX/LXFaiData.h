#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "LoggerAccess/LX/LXMemory.h"
#include "base/Bytes.h"

namespace kelvo {

// One 96-byte record of the recorder's flight directory, kept as the recorder sent it.
// Integers are big-endian; the date and times are texts (DD.MM.YY, HH:MM:SS).
class LXFaiData {
  public:
    static constexpr std::size_t kSize = 96;

    LXFaiData() = default;
    // Copies up to 96 bytes of a directory record; missing bytes stay 0.
    explicit LXFaiData(ByteSpan fromLogger) { setFaiData(fromLogger); }

    void setFaiData(ByteSpan data);
    const std::array<std::uint8_t, kSize>& faiData() const { return m_faiData; }

    // 0 marks the end of the directory; 1 a flight with more records after it; any
    // other value the last flight.
    std::uint8_t okByte() const { return m_faiData[0]; }
    bool isOK() const { return okByte() != 0; }
    std::uint16_t startTape() const { return getU16BE(m_faiData, 1); }
    std::uint16_t startPage() const { return getU16BE(m_faiData, 3); }
    std::uint16_t stopTape() const { return getU16BE(m_faiData, 5); }
    std::uint16_t stopPage() const { return getU16BE(m_faiData, 7); }
    std::uint16_t serialNumber() const { return getU16BE(m_faiData, 91); }
    std::uint16_t flightNumber() const { return getU16BE(m_faiData, 93); }

    // First and last fix in UTC; the stop uses the start's day. Nothing when the texts
    // name no real date and time.
    std::optional<std::chrono::sys_seconds> startDate() const;
    std::optional<std::chrono::sys_seconds> stopDate() const;
    // Seconds from start to stop (negative past midnight UTC); 0 without both dates.
    long duration() const;
    std::string durationDescription() const;

    std::string pilotName() const;
    std::optional<std::string> manufacturer() const;
    // 'L' for an LXNAV recorder, 'S' for SDI, 'F' otherwise.
    char loggerChar() const;
    std::string serialNumberDescription() const;
    // The short IGC-style name, for example 9A7L0013.LXN.
    std::string fileNameWithExtension() const;

    // The CRC-8 of bytes 0 to 94 equals byte 95 (a mismatch is logged).
    bool crcOK() const;
    LXMemory memory() const;
    void logMemoryInfo() const;

  private:
    std::optional<std::chrono::sys_seconds> dateWithTimeAt(std::size_t timeOffset) const;
    int twoDigits(std::size_t offset) const;

    std::array<std::uint8_t, kSize> m_faiData{};
};

}  // namespace kelvo
