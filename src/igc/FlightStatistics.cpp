#include "igc/FlightStatistics.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "geo/Waypoint.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

using namespace std::chrono;

namespace {

constexpr double kSemiMajorAxis = 6378.137;                // WGS-84 a [km]
constexpr double kEccentricitySquared = 0.00669437999014;  // WGS-84 e^2
// Fixes that the quick distance puts this close to the farthest one are measured exactly.
constexpr double kFarthestCandidateShare = 0.995;
// A fix takes the scales of the fix before it unless its latitude differs by more than
// this; the scales then err by a thousandth of a percent at most.
constexpr double kScaleLatitudeStep = 1e-5;  // [rad]

// Kilometres per radian of longitude and of latitude at a fix. Between fixes seconds
// apart, the plane of these scales gives the distance on the ellipsoid to well under a
// millimetre, at a small fraction of the cost of the exact formula.
struct LocalScale {
    double east = 0.0;
    double north = 0.0;

    explicit LocalScale(const Position& position) {
        const double cosine = std::cos(position.latitudeRadians());
        const double w = 1.0 - kEccentricitySquared * (1.0 - cosine * cosine);
        const double primeVertical = kSemiMajorAxis / std::sqrt(w);
        east = primeVertical * cosine;
        north = primeVertical * (1.0 - kEccentricitySquared) / w;
    }
};

// [km^2]: the square spares the root where distances are only compared.
double planeDistanceSquared(const Position& a, const LocalScale& scaleA, const Position& b,
                            const LocalScale& scaleB) {
    const double east =
        (scaleA.east + scaleB.east) / 2.0 * (b.longitudeRadians() - a.longitudeRadians());
    const double north =
        (scaleA.north + scaleB.north) / 2.0 * (b.latitudeRadians() - a.latitudeRadians());
    return east * east + north * north;
}

class Track {
  public:
    explicit Track(const std::vector<TracePosition>& fixes) : m_fixes(fixes) {
        m_scales.reserve(fixes.size());
        for (const auto& fix : fixes) {
            const double latitude = fix.position().latitudeRadians();
            if (m_scales.empty() || std::abs(latitude - m_scaleLatitude) > kScaleLatitudeStep) {
                m_scales.emplace_back(fix.position());
                m_scaleLatitude = latitude;
            } else {
                m_scales.push_back(m_scales.back());
            }
        }
    }

    std::size_t size() const { return m_fixes.size(); }
    seconds timeBetween(std::size_t from, std::size_t to) const {
        return m_fixes[to].timeStamp() - m_fixes[from].timeStamp();
    }
    double distance(std::size_t from, std::size_t to) const {  // [km]
        return std::sqrt(distanceSquared(from, to));
    }
    double distanceSquared(std::size_t from, std::size_t to) const {  // [km^2]
        return planeDistanceSquared(m_fixes[from].position(), m_scales[from],
                                    m_fixes[to].position(), m_scales[to]);
    }
    // Whether the glider covered kMovingSpeed on average between the two fixes (from < to).
    bool movedBetween(std::size_t from, std::size_t to) const {
        const auto elapsed = static_cast<double>(timeBetween(from, to).count());
        const double moved = FlightStatistics::kMovingSpeed * elapsed / 1000.0;  // [km]
        return elapsed > 0 && distanceSquared(from, to) >= moved * moved;
    }
    // A fix moves on take-off when the glider moved to the next fix, from there to the end of
    // the window, and from the fix to the end of the window: a stray fix far off is none
    // of these three on its own.
    bool movesAfter(std::size_t i) const {
        if (i + 2 >= size()) return false;
        std::size_t end = i + 2;
        while (end + 1 < size() && timeBetween(i, end) < FlightStatistics::kMovingWindow) ++end;
        return movedThrough(i, i + 1, end);
    }
    bool movesBefore(std::size_t i) const {
        if (i < 2) return false;
        std::size_t start = i - 2;
        while (start > 0 && timeBetween(start, i) < FlightStatistics::kMovingWindow) --start;
        return movedThrough(start, i - 1, i);
    }

  private:
    bool movedThrough(std::size_t first, std::size_t middle, std::size_t last) const {
        return movedBetween(first, middle) && movedBetween(middle, last) &&
               movedBetween(first, last);
    }

    const std::vector<TracePosition>& m_fixes;
    std::vector<LocalScale> m_scales;
    double m_scaleLatitude = 0.0;  // [rad] of the last scales computed
};

double greatestDistanceFrom(const Track& track, const std::vector<TracePosition>& fixes,
                            std::size_t takeoff, std::size_t landing) {
    std::vector<double> quick(landing + 1, 0.0);  // squares
    for (std::size_t i = takeoff; i <= landing; ++i) quick[i] = track.distanceSquared(takeoff, i);
    const double farthest = *std::max_element(quick.begin(), quick.end());
    double greatest = 0.0;
    for (std::size_t i = takeoff; i <= landing; ++i) {
        if (quick[i] < farthest * kFarthestCandidateShare * kFarthestCandidateShare) continue;
        greatest = std::max(greatest, fixes[takeoff].position().distanceTo(fixes[i].position()));
    }
    return greatest;
}

// The altitude gained in climbs: every rise from a low to the next high, where a change
// smaller than the hysteresis neither ends a climb nor a descent.
double altitudeGainedIn(std::span<const TracePosition> fixes) {
    double gained = 0.0;
    double low = fixes.front().position().elevation();
    double high = low;
    bool climbing = false;
    for (const auto& fix : fixes) {
        const double altitude = fix.position().elevation();
        if (climbing && altitude > high) {
            high = altitude;
        } else if (climbing && altitude < high - FlightStatistics::kClimbHysteresis) {
            gained += high - low;
            climbing = false;
            low = altitude;
        } else if (!climbing && altitude < low) {
            low = altitude;
        } else if (!climbing && altitude > low + FlightStatistics::kClimbHysteresis) {
            climbing = true;
            high = altitude;
        }
    }
    return climbing ? gained + high - low : gained;
}

std::optional<double> bestClimbIn(std::span<const TracePosition> fixes) {
    std::optional<double> best;
    std::size_t end = 0;
    for (std::size_t start = 0; start < fixes.size(); ++start) {
        while (end < fixes.size() && fixes[end].timeStamp() - fixes[start].timeStamp() <
                                         FlightStatistics::kBestClimbWindow) {
            ++end;
        }
        if (end == fixes.size()) break;
        const double climb = fixes[end].absoluteVarioIndicationFromPosition(fixes[start]);
        best = std::max(best.value_or(climb), climb);
    }
    return best;
}

void addAltitudeFigures(std::span<const TracePosition> flown, FlightStatistics& statistics) {
    std::vector<TracePosition> withAltitude;
    std::copy_if(flown.begin(), flown.end(), std::back_inserter(withAltitude),
                 [](const TracePosition& fix) { return fix.isValid(); });
    if (withAltitude.empty()) return;
    const auto [lowest, highest] = std::minmax_element(
        withAltitude.begin(), withAltitude.end(), [](const auto& a, const auto& b) {
            return a.position().elevation() < b.position().elevation();
        });
    statistics.lowestAltitude = lowest->position().elevation();
    statistics.highestAltitude = highest->position().elevation();
    statistics.altitudeGained = altitudeGainedIn(withAltitude);
    statistics.bestClimb = bestClimbIn(withAltitude);
}

std::optional<double> taskDistanceOf(const KelvoTrace& trace) {
    const auto course = trace.taskCourse();
    if (course.size() < 2) return std::nullopt;
    double distance = 0.0;
    for (std::size_t i = 1; i < course.size(); ++i)
        distance += course[i - 1]->distanceTo(*course[i]);
    return distance;
}

}  // namespace

FlightStatistics FlightStatistics::of(const KelvoTrace& trace) {
    FlightStatistics statistics;
    statistics.taskDistance = taskDistanceOf(trace);
    const auto& fixes = trace.points();
    const Track track(fixes);
    std::size_t takeoff = 0;
    while (takeoff < fixes.size() && !track.movesAfter(takeoff)) ++takeoff;
    if (takeoff == fixes.size()) return statistics;
    std::size_t landing = fixes.size() - 1;
    while (landing > takeoff && !track.movesBefore(landing)) --landing;

    statistics.takeoff = fixes[takeoff].timeStamp();
    statistics.landing = fixes[landing].timeStamp();
    statistics.flightTime = track.timeBetween(takeoff, landing);
    for (std::size_t i = takeoff; i < landing; ++i)
        statistics.distanceFlown += track.distance(i, i + 1);
    statistics.greatestDistanceFromTakeoff = greatestDistanceFrom(track, fixes, takeoff, landing);
    const auto flown = std::span(fixes).subspan(takeoff, landing - takeoff + 1);
    addAltitudeFigures(flown, statistics);
    statistics.freeDistance = FreeDistance::of(flown);
    for (auto& index : statistics.freeDistance->fixIndices) index += takeoff;
    return statistics;
}

}  // namespace kelvo
