#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "geo/Coordinate.h"
#include "geo/Position.h"

namespace kelvo {

// One fix of an IGC trace: where the glider was (elevation = GNSS altitude [m]) and when
// (UTC). A plain value type of 32 bytes, so a trace keeps its fixes in one contiguous
// array that a long flight does not make large.
class TracePosition {
  public:
    TracePosition() = default;
    TracePosition(const Position& position, std::chrono::sys_seconds timeStamp)
        : m_timeStamp(timeStamp) {
        setPosition(position);
    }

    // The fix of a B record flown on the day of flightDateGMT; nothing when the line is
    // not a B record or too short for its fixed columns.
    static std::optional<TracePosition> fromIgcBRecord(std::string_view line,
                                                       std::chrono::sys_seconds flightDateGMT);

    // Reads the time (added to the time stamp's day), position and elevation of a B record
    // into this fix; false when the line is not a B record or too short for its columns.
    bool parseIgcBRecord(std::string_view line);

    // The coordinate of a B or C record's field: a Latitude for "5207054N" (8 characters,
    // DDMMmmm and the hemisphere), a Longitude for "00430500W" (9 characters, DDDMMmmm and
    // the hemisphere); nothing for any other length.
    static std::optional<Coordinate> parseCoordinate(std::string_view text);

    // Speed [m/s] along the straight line in space between the two fixes.
    double absoluteStraightLineSpeedFromTracePosition(const TracePosition& other) const;
    // Climb [m/s] between the two fixes, negative for sink; the same whichever fix asks.
    double absoluteVarioIndicationFromPosition(const TracePosition& other) const;
    // Both are infinite or NaN for two fixes with the same time stamp.

    Position position() const {
        Position position;
        position.setLatitudeRadians(m_latitude);
        position.setLongitudeRadians(m_longitude);
        position.setElevation(m_elevation);
        return position;
    }
    void setPosition(const Position& position) {
        m_latitude = position.latitudeRadians();
        m_longitude = position.longitudeRadians();
        m_elevation = static_cast<float>(position.elevation());
    }
    std::chrono::sys_seconds timeStamp() const { return m_timeStamp; }
    void setTimeStamp(std::chrono::sys_seconds timeStamp) { m_timeStamp = timeStamp; }
    // False for a "V" fix: two-dimensional, its altitude means nothing.
    bool isValid() const { return m_valid; }

  private:
    double m_latitude = 0.0;   // [rad]
    double m_longitude = 0.0;  // [rad]
    std::chrono::sys_seconds m_timeStamp{};
    // [m]; a float holds the whole metres of IGC altitudes exactly.
    float m_elevation = 0.0F;
    bool m_valid = true;
};

}  // namespace kelvo
