#pragma once

#include "geo/Coordinate.h"

namespace kelvo {

// The magnitude of a coordinate as whole degrees and thousandths of a minute, the layout
// of the waypoint files' coordinate fields. The angle is rounded to the nearest thousandth
// of a minute before it is split, so a value stored a hair below 7.5 minutes is written
// 7.500 (not 7.499, which would drift on every round trip) and 59.9996 minutes carries into
// the next degree instead of printing 60.000.
struct DegreesAndMinutes {
    long long degrees = 0;
    long long milliminutes = 0;  // whole minutes x 1000 + thousandths, 0..59999
    bool negative = false;

    static DegreesAndMinutes of(const Coordinate& coordinate);
};

}  // namespace kelvo
