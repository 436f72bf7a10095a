#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bytes.h"

namespace kelvo::sim {

// The pilot and glider record of a native flight.
struct LXFlightInformation {
    std::string pilot;
    std::string gliderType;
    std::string gliderId;
    std::string competitionId;
    std::uint8_t classCode = 0;  // 0 STANDARD ... 6 MOTOR_GL, 7 named by className()
    std::uint8_t gpsDatum = 100;
    std::uint8_t fixAccuracy = 0;
    std::string gps;
};

// One point slot of a declared task; coordinates in 1/60000 degree, north and east positive.
struct LXTaskSlot {
    std::uint8_t marker = 1;  // 3 home, 1 task point, 2 landing, 0 unused
    std::string name;
    std::int32_t latitude = 0;
    std::int32_t longitude = 0;
};

struct LXNativeTask {
    std::uint32_t inputTime = 0;  // seconds since midnight UTC
    std::uint8_t inputDay = 0, inputMonth = 0, inputYear = 0;
    std::uint8_t flightDay = 0, flightMonth = 0, flightYear = 0;
    std::uint16_t taskId = 0;
    std::int8_t turnpointCount = 0;
    std::vector<LXTaskSlot> slots;  // at most 12
};

// Writes LX native flight streams record by record, as a recorder stores them. Times are
// seconds since midnight UTC, coordinates 1/60000 degree. Fixes are given absolutely and
// stored as offsets from the last origin.
class LXNativeFlightEncoder {
  public:
    LXNativeFlightEncoder();

    LXNativeFlightEncoder& text(std::string_view line);  // 1 to 63 characters
    LXNativeFlightEncoder& versions(std::uint8_t hardwareTimesTen, std::uint8_t firmwareTimesTen);
    LXNativeFlightEncoder& flightNumber(std::uint8_t number);
    LXNativeFlightEncoder& origin(std::uint32_t time, std::int32_t latitude,
                                  std::int32_t longitude);
    LXNativeFlightEncoder& fix(std::uint32_t time, std::int32_t latitude, std::int32_t longitude,
                               std::int16_t pressureAltitude, std::int16_t gpsAltitude,
                               bool valid = true);
    LXNativeFlightEncoder& bExtensionMask(std::uint16_t mask);
    LXNativeFlightEncoder& kExtensionMask(std::uint16_t mask);
    LXNativeFlightEncoder& bExtensionValues(const std::vector<std::uint16_t>& values);
    LXNativeFlightEncoder& kExtensionValues(std::uint8_t secondsAfterFix,
                                            const std::vector<std::uint16_t>& values);
    LXNativeFlightEncoder& event(std::string_view text);
    LXNativeFlightEncoder& date(std::uint8_t day, std::uint8_t month, std::uint16_t year);
    LXNativeFlightEncoder& flightInformation(const LXFlightInformation& information);
    LXNativeFlightEncoder& className(std::string_view name);
    LXNativeFlightEncoder& recorderIdentification(std::string_view text);
    LXNativeFlightEncoder& task(const LXNativeTask& task);
    // A security record: up to 64 data bytes of type 0x0D, 0x0E or 0x0F.
    LXNativeFlightEncoder& security(std::uint8_t type, ByteSpan data);
    LXNativeFlightEncoder& securityText(std::string_view text);
    // A filler: the tag 0 and zeroCount further zero bytes.
    LXNativeFlightEncoder& filler(std::size_t zeroCount);
    // A record the converter does not know; its length goes into the length table.
    LXNativeFlightEncoder& unknown(std::uint8_t tag, ByteSpan data);
    // Raw bytes, for records cut short or otherwise malformed.
    LXNativeFlightEncoder& raw(ByteSpan bytes);
    LXNativeFlightEncoder& end();

    const Bytes& bytes() const { return m_writer.data(); }
    // The recorder's record-length table by tag (its security block).
    const std::array<std::uint8_t, 256>& lengthTable() const { return m_lengthTable; }
    // The flight as a secure download delivers it: records, then the length table.
    Bytes secureBytes() const;

  private:
    LXNativeFlightEncoder& record(std::uint8_t tag);

    ByteWriter m_writer;
    std::array<std::uint8_t, 256> m_lengthTable{};
    std::uint32_t m_originTime = 0;
    std::int32_t m_originLatitude = 0;
    std::int32_t m_originLongitude = 0;
};

}  // namespace kelvo::sim
