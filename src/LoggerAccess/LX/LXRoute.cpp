#include "LoggerAccess/LX/LXRoute.h"

#include <algorithm>

#include "base/Format.h"
#include "base/Log.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

constexpr std::size_t kTypes = 2;
constexpr std::size_t kIndices = 12;
constexpr std::uint8_t kPointWritten = 2;

}  // namespace

LXRoute::LXRoute(ByteSpan data, std::size_t offset) {
    if (offset < data.size()) setData(data.subspan(offset));
}

void LXRoute::setData(ByteSpan data) {
    m_task.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_task.begin());
}

std::uint8_t LXRoute::pointType(std::size_t point) const {
    return point < kMaxPoints ? m_task[kTypes + point] : 0;
}

void LXRoute::setType(std::uint8_t type, std::size_t point) {
    if (point < kMaxPoints) m_task[kTypes + point] = type;
}

std::uint16_t LXRoute::pointIndex(std::size_t point) const {
    return point < kMaxPoints ? getU16BE(m_task, kIndices + 2 * point) : 0;
}

void LXRoute::setIndex(std::uint16_t index, std::size_t point) {
    if (point < kMaxPoints) putU16BE(m_task, kIndices + 2 * point, index);
}

std::size_t LXRoute::indexOfWaypoint(const Waypoint& waypoint,
                                     const std::vector<std::shared_ptr<Waypoint>>& waypoints) {
    const auto found = std::find_if(waypoints.begin(), waypoints.end(), [&](const auto& entry) {
        return entry && entry->isEqualTo(waypoint);
    });
    return found == waypoints.end() ? kNotFound
                                    : static_cast<std::size_t>(found - waypoints.begin());
}

bool LXRoute::setRoute(const Route& route, std::vector<std::shared_ptr<Waypoint>>& waypoints,
                       std::size_t maxWaypoints) {
    setPrg(1);
    setControlPoint(0);
    const auto& points = route.waypoints();
    for (std::size_t i = 0; i < std::min(points.size(), kMaxPoints); ++i) {
        std::size_t index = indexOfWaypoint(*points[i], waypoints);
        if (index != kNotFound) {
            logf("Found waypoint at index %d.", static_cast<int>(index));
        } else {
            logLine("Found waypoint in Route that is not in the list!!");
            if (waypoints.size() >= maxWaypoints) {
                logLine("Blimey. The logger is Full and I need to add a waypoint!");
                return false;
            }
            waypoints.push_back(points[i]);
            index = waypoints.size() - 1;
        }
        const auto stored = static_cast<std::uint16_t>(index);
        setType(kPointWritten, i);
        setIndex(stored, i);
        logf("Setting index to: %d (swapped:%d).", stored,
             static_cast<std::uint16_t>((stored >> 8) | (stored << 8)));
    }
    return true;
}

std::shared_ptr<Route> LXRoute::makeRoute(
    const std::vector<std::shared_ptr<Waypoint>>& waypoints) const {
    if (prg() != 1) return nullptr;
    auto route = std::make_shared<Route>();
    route->setName(toString());
    for (std::size_t i = 0; i < kMaxPoints && pointType(i) != 0; ++i) {
        const std::uint16_t index = pointIndex(i);
        logf("WaypointNumber = %d.", index);
        if (index < waypoints.size() && waypoints[index]) {
            // Every attribute, elevation included: a point that a saved list no longer
            // holds is written back from the route.
            auto point = std::make_shared<Waypoint>(*waypoints[index]);
            point->setPreviousWaypointInRoute(nullptr);
            route->addWaypoint(std::move(point));
        }
    }
    return route;
}

std::string LXRoute::toString() const {
    return stringf("prg: %d; ctrlpnt: %d.", prg(), controlPoint());
}

}  // namespace kelvo
