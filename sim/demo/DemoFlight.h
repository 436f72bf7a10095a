#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {
class Waypoint;
}

namespace kelvo::sim {

// One recorded position of a demo flight.
struct DemoFix {
    std::chrono::sys_seconds time{};
    double latitude = 0.0;     // [degrees], north positive
    double longitude = 0.0;    // [degrees], east positive
    int pressureAltitude = 0;  // [m]
    int gpsAltitude = 0;       // [m]
    bool valid = true;         // false: the receiver had no 3D fix
};

// A pilot event (the pilot pressed the event button) at a fix's time.
struct DemoEvent {
    std::chrono::sys_seconds time{};
    std::string code = "PEV";
};

// A flight as a recorder would have logged it: who flew what, the declared task (take-off,
// turnpoints, landing) and the fixes with their events.
struct DemoFlight {
    int flightOfDay = 1;
    std::string pilot;
    std::string gliderType;
    std::string gliderId;
    std::string competitionId;
    std::string competitionClass;
    int interval = 4;  // [s] between fixes
    std::vector<std::shared_ptr<Waypoint>> task;
    std::vector<DemoFix> fixes;
    std::vector<DemoEvent> events;

    std::chrono::sys_seconds firstFix() const { return fixes.front().time; }
    std::chrono::sys_seconds lastFix() const { return fixes.back().time; }
    std::chrono::seconds duration() const { return lastFix() - firstFix(); }
};

}  // namespace kelvo::sim
