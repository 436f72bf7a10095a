#pragma once

#include <memory>
#include <string>

#include "base/Bytes.h"
#include "base/UtcDate.h"
#include "geo/Waypoint.h"
#include "igc/KelvoTrace.h"
#include "sim/demo/DemoIgc.h"

namespace kelvo::test {

// A triangle flown at constant speed from a field, climbing at a constant rate on the first
// leg and sinking on the others, with a minute on the ground before and after and one fix
// without altitude in the middle: every figure of its statistics is known by construction.
struct TriangleFlight {
    static constexpr int kInterval = 2;          // [s]
    static constexpr double kSpeed = 30.0;       // [m/s]
    static constexpr int kClimbPerFix = 5;       // 2.5 m/s on the first leg
    static constexpr int kSinkPerFix = 2;        // 1 m/s on the other legs
    static constexpr int kFieldElevation = 500;  // [m]

    std::shared_ptr<Waypoint> corners[3];
    sim::DemoFlight flight;
    std::chrono::sys_seconds takeoff;
    std::chrono::sys_seconds landing;
    std::chrono::seconds firstLeg{};
    int altitude = kFieldElevation;  // at landing once built

    // size scales the triangle (1: legs of about 15 km).
    explicit TriangleFlight(std::chrono::sys_seconds takeoffTime = *utcTime(2026, 7, 4, 10),
                            double size = 1.0)
        : corners{point("HOME", 48.1, 8.7), point("NORTH", 48.1 + 0.1 * size, 8.7 + 0.15 * size),
                  point("SOUTH", 48.1 - 0.1 * size, 8.7 + 0.2 * size)},
          takeoff(takeoffTime) {
        using namespace std::chrono;
        flight.task = {corners[0], corners[1], corners[2], corners[0]};
        sys_seconds time = takeoff - minutes{1};
        for (; time < takeoff; time += seconds{kInterval}) addFix(time, *corners[0]);
        for (int leg = 0; leg < 3; ++leg) {
            const Waypoint& from = *corners[leg];
            const Waypoint& to = *corners[(leg + 1) % 3];
            const int steps = static_cast<int>(from.distanceTo(to) * 1000.0 / kSpeed / kInterval);
            for (int step = 0; step < steps; ++step, time += seconds{kInterval}) {
                const double f = static_cast<double>(step) / steps;
                addFix(time, Position::fromDegrees(
                                 from.latitudeDegrees() +
                                     f * (to.latitudeDegrees() - from.latitudeDegrees()),
                                 from.longitudeDegrees() +
                                     f * (to.longitudeDegrees() - from.longitudeDegrees()),
                                 0));
                altitude += leg == 0 ? kClimbPerFix : -kSinkPerFix;
            }
            if (leg == 0) firstLeg = time - takeoff;
        }
        landing = time;
        for (; time < landing + minutes{1}; time += seconds{kInterval}) addFix(time, *corners[0]);
        flight.fixes[flight.fixes.size() / 2].valid = false;
    }

    static std::shared_ptr<Waypoint> point(const char* name, double latitude, double longitude) {
        auto waypoint = std::make_shared<Waypoint>();
        waypoint->setValueFromDegrees(name, latitude, longitude, 0);
        return waypoint;
    }

    void addFix(std::chrono::sys_seconds time, const Position& at) {
        flight.fixes.push_back(
            {time, at.latitudeDegrees(), at.longitudeDegrees(), altitude, altitude});
    }

    std::string igcFile() const { return sim::demoIgcFile(flight, sim::DemoRecorder{}); }
    KelvoTrace trace() const {
        const std::string text = igcFile();
        return KelvoTrace(Bytes(text.begin(), text.end()), "triangle.igc");
    }
    double leg(int i) const { return corners[i]->distanceTo(*corners[(i + 1) % 3]); }
    double perimeter() const { return leg(0) + leg(1) + leg(2); }
    double climb() const {  // [m] on the first leg
        return static_cast<double>(firstLeg.count()) * kClimbPerFix / kInterval;
    }
};

}  // namespace kelvo::test
