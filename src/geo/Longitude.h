#pragma once

#include "geo/Coordinate.h"

namespace kelvo {

// A coordinate east (positive) or west of Greenwich; valid from -180 to 180 degrees.
class Longitude : public Coordinate {
  public:
    Longitude() : Coordinate(Axis::longitude, 0.0) {}

    static Longitude fromDegrees(double degrees);
    static Longitude fromRadians(double radians) { return Longitude(radians); }
    static Longitude fromString(std::string_view text);

  private:
    explicit Longitude(double radians) : Coordinate(Axis::longitude, radians) {}
};

}  // namespace kelvo
