#pragma once

#include <chrono>
#include <optional>

#include "igc/FreeDistance.h"

namespace kelvo {

class KelvoTrace;

// The figures of a flown trace. The flight runs from take-off (the first moving fix) to
// landing (the last moving fix); a fix moves when the glider covers at least
// kMovingSpeed on average over the kMovingWindow after it (take-off) or before it
// (landing), so GPS jitter on the ground and single stray fixes are no flight.
// Altitudes are the GNSS altitudes of the fixes in flight; two-dimensional ("V") fixes
// are left out of every altitude figure.
struct FlightStatistics {
    static constexpr double kMovingSpeed = 8.0;  // [m/s], about 29 km/h
    static constexpr std::chrono::seconds kMovingWindow{30};
    // Altitude changes smaller than this do not end a climb or a descent.
    static constexpr double kClimbHysteresis = 10.0;  // [m]
    static constexpr std::chrono::seconds kBestClimbWindow{30};

    static FlightStatistics of(const KelvoTrace& trace);

    // Nothing of the flight when the trace never moved.
    std::optional<std::chrono::sys_seconds> takeoff;
    std::optional<std::chrono::sys_seconds> landing;
    std::chrono::seconds flightTime{0};
    double distanceFlown = 0.0;                // [km] along the track
    double greatestDistanceFromTakeoff = 0.0;  // [km]
    std::optional<double> highestAltitude;     // [m]
    std::optional<double> lowestAltitude;      // [m]
    double altitudeGained = 0.0;               // [m] in all climbs together
    std::optional<double> bestClimb;           // [m/s] over kBestClimbWindow
    // [km] from the start over the turnpoints to the finish of the declared task (the C
    // records between take-off and landing, zero placeholders left out); nothing without a
    // start and a finish.
    std::optional<double> taskDistance;
    // The scored distance of the flight between take-off and landing; indices into the trace.
    std::optional<FreeDistance> freeDistance;
};

}  // namespace kelvo
