#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo {

class Waypoint;

// One 31-byte waypoint record of the recorder's database, kept byte for byte: positions
// and frequency as little-endian floats, altitude big-endian, runway and training circle
// in feet (little-endian), runway direction in tens of degrees.
class LXTurnpoint {
  public:
    static constexpr std::size_t kSize = 31;
    static std::size_t blockSize() { return kSize; }
    static Bytes dataForEmptyTurnpoint() { return Bytes(kSize, 0); }

    LXTurnpoint() = default;
    // Copies 31 bytes from the offset; what lies past the buffer stays 0.
    LXTurnpoint(ByteSpan data, std::size_t offset);

    void setBytes(ByteSpan data);
    const std::array<std::uint8_t, kSize>& bytes() const { return m_turnpoint; }
    Bytes data() const { return Bytes(m_turnpoint.begin(), m_turnpoint.end()); }

    // The waypoint of the record; nothing for an unnamed record or an invalid waypoint.
    std::shared_ptr<Waypoint> waypoint() const;
    void setWaypoint(const Waypoint& waypoint);

    std::uint8_t prg() const { return m_turnpoint[0]; }
    void setPrg(std::uint8_t prg) { m_turnpoint[0] = prg; }
    // Up to the NUL, trimmed of white space.
    std::string name() const;
    // Cut or space-padded to 8 ASCII characters (others replaced), then a NUL.
    void setName(std::string_view name);
    double latitude() const { return getF32LE(m_turnpoint, 10); }  // [degrees]
    void setLatitude(double degrees) { putF32LE(m_turnpoint, 10, static_cast<float>(degrees)); }
    double longitude() const { return getF32LE(m_turnpoint, 14); }  // [degrees]
    void setLongitude(double degrees) { putF32LE(m_turnpoint, 14, static_cast<float>(degrees)); }
    std::int16_t altitude() const { return static_cast<std::int16_t>(getU16BE(m_turnpoint, 18)); }
    void setAltitude(std::int16_t metres) {
        putU16BE(m_turnpoint, 18, static_cast<std::uint16_t>(metres));
    }
    double frequency() const { return getF32LE(m_turnpoint, 20); }  // [MHz]
    void setFrequency(double megahertz) {
        putF32LE(m_turnpoint, 20, static_cast<float>(megahertz));
    }
    int runwayLength() const;  // [m]
    void setRunwayLength(int metres);
    int runwayDirection() const;  // [degrees]
    void setRunwayDirection(int degrees);
    // The waypoint type of the runway surface letter (geo/WaypointType.h).
    int waypointType() const;
    void setWaypointType(int type);
    char trainingCircle() const { return static_cast<char>(m_turnpoint[28]); }
    void setTrainingCircle(char code) { m_turnpoint[28] = static_cast<std::uint8_t>(code); }
    int trainingCircleSize() const;
    void setTrainingCircleSize(int size);

  private:
    std::array<std::uint8_t, kSize> m_turnpoint{};
};

}  // namespace kelvo
