#pragma once

#include <string>
#include <vector>

#include "base/Bytes.h"

namespace kelvo {

// Compares the database block the recorder holds with the one written. The recorder does
// not acknowledge a database write, so the driver reads the block back; both blocks are
// read through the same record fields, so that a value counts as kept when it reads back as
// the record can hold it (names of 8 characters, coordinates as single-precision floats,
// runways in feet and tens of degrees) and only what the recorder changed shows.
class LXDatabaseCheck {
  public:
    // One line per field the recorder holds otherwise, in record order:
    // "Waypoint 12 "KLIPPENE" meant elevation 980 m, recorder holds 0 m",
    // "Waypoint 4 "ECK" is missing", "Route 2 meant ALB, ECK; recorder holds ALB".
    // Frequency and training-circle size are not compared: they are never written.
    static std::vector<std::string> differences(ByteSpan meant, ByteSpan held);
    // The first few differences in one line, with how many more there are.
    static std::string summary(const std::vector<std::string>& differences);
};

}  // namespace kelvo
