#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "sim/demo/DemoFlight.h"

namespace kelvo::sim {

// Flies a glider around a task, deterministically: a tow from the home field, then glides
// towards each turnpoint and climbs in thermals whenever it gets low, drifting with the
// wind, and a final glide to a landing at home. Every seed gives its own weather.
class DemoFlightSimulator {
  public:
    DemoFlightSimulator(std::uint64_t seed, int interval);

    // The fixes and events of a flight around the points (home first and last), taking
    // off at the given time. The flight heads home early rather than exceed five hours.
    void fly(DemoFlight& flight, std::chrono::sys_seconds takeoff);

  private:
    struct State {
        double latitude = 0.0;   // [degrees]
        double longitude = 0.0;  // [degrees]
        double altitude = 0.0;   // [m]
        double heading = 0.0;    // [degrees]
        std::chrono::sys_seconds time{};
    };

    double unit();  // uniform in [0, 1)
    void record(DemoFlight& flight);
    void stayOnGround(DemoFlight& flight, std::chrono::seconds duration);
    void tow(DemoFlight& flight, double releaseAltitude);
    void glideTowards(DemoFlight& flight, double latitude, double longitude, bool finalGlide);
    void thermal(DemoFlight& flight);
    void land(DemoFlight& flight, double groundElevation);
    // Moves the glider for one interval at the speed [m/s] along its heading, plus the wind.
    void advance(double speed, double climb);

    std::uint64_t m_random;
    const int m_interval;  // [s]
    State m_state;
    double m_groundElevation = 0.0;
    double m_cloudBase = 0.0;
    std::size_t m_fixCount = 0;
    std::chrono::sys_seconds m_deadline{};
};

}  // namespace kelvo::sim
