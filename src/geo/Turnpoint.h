#pragma once

#include <cstdint>

#include "geo/Waypoint.h"

namespace kelvo {

// A waypoint of a task with its observation zone: either a line (ozType 1, only the line
// width set) or a cylinder and/or sector (ozType 0, line width 0). Every setter keeps
// that invariant.
class Turnpoint : public Waypoint {
  public:
    Turnpoint() = default;
    // Position, elevation, name, long name, frequency, runway and training circle with its
    // size; country, type, training-circle direction and the zone start empty.
    explicit Turnpoint(const Waypoint& waypoint);

    // At most 180; a non-zero width makes the zone a line.
    void setLineWidth(std::int32_t width);
    // Each non-zero value makes the zone a cylinder/sector.
    void setCylinderRadius(std::int32_t metres);
    void setSectorRadius(std::int32_t metres);
    void setSectorDirection(std::int32_t degrees);
    // 0: cylinder/sector, clears the line width; otherwise a line, clears the zone values.
    void setOzType(std::int32_t type);

    std::int32_t getOzType() const { return m_ozType; }
    // Each answers 0 when the zone is of the other kind.
    std::int32_t getLineWidth() const;
    std::int32_t getCylinderRadius() const;   // [m]
    std::int32_t getSectorRadius() const;     // [m]
    std::int32_t getSectorDirection() const;  // [degrees]

  private:
    bool isLine() const { return m_ozType == 1; }

    std::int32_t m_lineWidth = 0;
    std::int32_t m_cylinderRadius = 0;
    std::int32_t m_sectorRadius = 0;
    std::int32_t m_sectorDirection = 0;
    std::int32_t m_ozType = 0;
};

}  // namespace kelvo
