#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>

#include "igc/TracePosition.h"

namespace kelvo {

// The free distance of a flight: the longest path from a start over three turnpoints to a
// finish, all five taken from the fixes in time order (a point may repeat, so fewer legs
// count too), measured on the WGS-84 ellipsoid. It is the scored distance of a free flight.
//
// The search is exact over every fix. Blocks of consecutive fixes bound every path through
// them (by the triangle inequality of the geodesic, with an upper bound of each distance
// taken from its chord), a path found early sets the mark to beat, and only fixes whose
// blocks could still beat it are measured, leg by leg, in a dynamic programme.
struct FreeDistance {
    static constexpr std::size_t kPoints = 5;

    // Nothing for a trace without fixes.
    static std::optional<FreeDistance> of(std::span<const TracePosition> fixes);

    double distance = 0.0;  // [km]
    // Start, the three turnpoints and the finish: indices into the fixes given, and the fixes.
    std::array<std::size_t, kPoints> fixIndices{};
    std::array<TracePosition, kPoints> points{};
};

}  // namespace kelvo
