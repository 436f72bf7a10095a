#pragma once

#include "geo/Coordinate.h"

namespace kelvo {

// A coordinate north (positive) or south of the equator; valid from -90 to 90 degrees.
class Latitude : public Coordinate {
  public:
    Latitude() : Coordinate(Axis::latitude, 0.0) {}

    static Latitude fromDegrees(double degrees);
    static Latitude fromRadians(double radians) { return Latitude(radians); }
    static Latitude fromString(std::string_view text);

  private:
    explicit Latitude(double radians) : Coordinate(Axis::latitude, radians) {}
};

}  // namespace kelvo
