#include "sim/demo/DemoFlightSimulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geo/Waypoint.h"

namespace kelvo::sim {

namespace {

constexpr double kMetresPerDegree = 111320.0;
constexpr double kTerrain = 800.0;          // [m] typical ground below the task
constexpr double kWindEast = 3.2;           // [m/s] a light west-south-westerly
constexpr double kWindNorth = 1.1;          // [m/s]
constexpr double kGlideRatio = 32.0;        // for the final glide's reserve
constexpr double kTurnpointRadius = 450.0;  // [m] a turnpoint counts as reached within
constexpr auto kLatestTurnHome = std::chrono::minutes(225);
constexpr auto kLongestFlight = std::chrono::hours(5) - std::chrono::minutes(2);

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}
double degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

}  // namespace

DemoFlightSimulator::DemoFlightSimulator(std::uint64_t seed, int interval)
    : m_random(seed), m_interval(std::max(1, interval)) {}

double DemoFlightSimulator::unit() {
    // splitmix64: the same sequence on every platform and library.
    std::uint64_t z = (m_random += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

void DemoFlightSimulator::fly(DemoFlight& flight, std::chrono::sys_seconds takeoff) {
    const auto& home = *flight.task.front();
    m_state = {home.latitudeDegrees(), home.longitudeDegrees(), home.elevation(), 250.0,
               takeoff - std::chrono::seconds(90)};
    m_groundElevation = home.elevation();
    m_cloudBase = std::max(m_groundElevation, kTerrain) + 1250.0 + 450.0 * unit();
    m_deadline = takeoff + kLatestTurnHome;
    m_fixCount = 0;

    stayOnGround(flight, std::chrono::seconds(90));
    tow(flight, m_groundElevation + 550.0 + 100.0 * unit());
    flight.events.push_back({m_state.time, "PEV"});
    for (std::size_t leg = 1; leg < flight.task.size(); ++leg) {
        const bool last = leg + 1 == flight.task.size();
        if (!last && m_state.time > m_deadline) continue;  // too late: straight home
        const auto& target = *flight.task[leg];
        glideTowards(flight, target.latitudeDegrees(), target.longitudeDegrees(), last);
        if (!last) flight.events.push_back({m_state.time, "PEV"});
    }
    const auto& landing = *flight.task.back();
    land(flight, landing.elevation());
    stayOnGround(flight, std::chrono::seconds(60));
}

void DemoFlightSimulator::record(DemoFlight& flight) {
    DemoFix fix;
    fix.time = m_state.time;
    fix.latitude = m_state.latitude;
    fix.longitude = m_state.longitude;
    fix.gpsAltitude = static_cast<int>(std::lround(m_state.altitude + 6.0 * unit() - 3.0));
    fix.pressureAltitude = static_cast<int>(std::lround(m_state.altitude - 28.0));
    // The receiver needs a few fixes to lock on, and now and then loses the third dimension.
    fix.valid = m_fixCount >= 3 && m_fixCount % 997 != 500;
    flight.fixes.push_back(fix);
    ++m_fixCount;
}

void DemoFlightSimulator::advance(double speed, double climb) {
    const double seconds = m_interval;
    const double north = (speed * std::cos(radians(m_state.heading)) + kWindNorth) * seconds;
    const double east = (speed * std::sin(radians(m_state.heading)) + kWindEast) * seconds;
    m_state.latitude += north / kMetresPerDegree;
    m_state.longitude += east / (kMetresPerDegree * std::cos(radians(m_state.latitude)));
    m_state.altitude += climb * seconds;
    m_state.time += std::chrono::seconds(m_interval);
}

void DemoFlightSimulator::stayOnGround(DemoFlight& flight, std::chrono::seconds duration) {
    const auto until = m_state.time + duration;
    while (m_state.time < until) {
        record(flight);
        m_state.time += std::chrono::seconds(m_interval);
    }
}

void DemoFlightSimulator::tow(DemoFlight& flight, double releaseAltitude) {
    while (m_state.altitude < releaseAltitude) {
        record(flight);
        m_state.heading = std::fmod(m_state.heading + 0.4 * m_interval, 360.0);
        advance(32.0, 2.8 + 0.6 * unit());
    }
}

void DemoFlightSimulator::glideTowards(DemoFlight& flight, double latitude, double longitude,
                                       bool finalGlide) {
    const double speed = 34.0 + 8.0 * unit();  // [m/s]
    const double sink = 0.8 + 0.025 * (speed - 30.0) + 0.3 * unit();
    double lowPoint = kTerrain + 450.0 + 250.0 * unit();
    while (m_state.time - flight.firstFix() < kLongestFlight) {
        const double north = (latitude - m_state.latitude) * kMetresPerDegree;
        const double east = (longitude - m_state.longitude) * kMetresPerDegree *
                            std::cos(radians(m_state.latitude));
        const double distance = std::hypot(north, east);
        if (distance < kTurnpointRadius) return;
        // On the final glide the glider climbs until it can reach home with a reserve, but
        // leaves a thermal well below cloud base at the latest.
        const double needed =
            finalGlide
                ? std::min(m_groundElevation + 180.0 + distance / kGlideRatio, m_cloudBase - 500.0)
                : lowPoint;
        if (m_state.altitude < needed) {
            thermal(flight);
            lowPoint = kTerrain + 450.0 + 250.0 * unit();
            continue;
        }
        if (!finalGlide && m_state.time > m_deadline) return;
        m_state.heading = degrees(std::atan2(east, north));
        record(flight);
        advance(speed, -sink);
    }
}

void DemoFlightSimulator::thermal(DemoFlight& flight) {
    const double climb = 0.9 + 2.6 * unit();    // [m/s]
    const double circle = 24.0 + 8.0 * unit();  // [s] per turn
    const double direction = unit() < 0.5 ? -1.0 : 1.0;
    const double top = m_cloudBase - 120.0 * unit();
    const auto giveUp = m_state.time + std::chrono::minutes(20);
    while (m_state.altitude < top && m_state.time < giveUp) {
        record(flight);
        m_state.heading =
            std::fmod(m_state.heading + direction * 360.0 * m_interval / circle + 360.0, 360.0);
        advance(24.0, climb);
    }
    m_cloudBase += 40.0 * unit();  // the day develops
}

void DemoFlightSimulator::land(DemoFlight& flight, double groundElevation) {
    while (m_state.altitude > groundElevation + 2.0) {
        record(flight);
        m_state.heading = std::fmod(m_state.heading + 4.0 * m_interval, 360.0);
        advance(26.0, -std::min(2.5, m_state.altitude - groundElevation));
    }
    m_state.altitude = groundElevation;
}

}  // namespace kelvo::sim
