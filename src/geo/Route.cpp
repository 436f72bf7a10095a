#include "geo/Route.h"

#include <algorithm>

#include "base/Text.h"

namespace kelvo {

void Route::setValue(std::string name, std::vector<std::shared_ptr<Waypoint>> waypoints) {
    m_name = std::move(name);
    setWaypoints(std::move(waypoints));
}

std::string Route::name() const {
    return trimSpacesAndTabs(m_name);
}

void Route::setWaypoints(std::vector<std::shared_ptr<Waypoint>> waypoints) {
    std::erase(waypoints, nullptr);
    m_waypoints = std::move(waypoints);
}

void Route::addWaypoint(std::shared_ptr<Waypoint> waypoint) {
    if (waypoint) m_waypoints.push_back(std::move(waypoint));
}

void Route::deleteWaypoint(const std::shared_ptr<Waypoint>& waypoint) {
    std::erase(m_waypoints, waypoint);
}

double Route::getDistance() {
    // The first waypoint loses any link it kept from an earlier order.
    Waypoint::linkInOrder(m_waypoints);
    double total = 0.0;
    // Legs measured as each waypoint measures from its predecessor, so the last waypoint's
    // distance in route equals the length.
    for (std::size_t i = 1; i < m_waypoints.size(); ++i) {
        total += m_waypoints[i]->distanceTo(*m_waypoints[i - 1]);
    }
    return total;
}

bool Route::droppedWaypoint(std::shared_ptr<Waypoint> waypoint, int index) {
    if (!waypoint || index < -1 || index > static_cast<int>(m_waypoints.size())) return false;
    const auto position = index == -1 ? m_waypoints.end() : m_waypoints.begin() + index;
    m_waypoints.insert(position, std::move(waypoint));
    getDistance();
    return true;
}

}  // namespace kelvo
