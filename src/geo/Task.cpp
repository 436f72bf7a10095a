#include "geo/Task.h"

#include "base/Beep.h"
#include "base/Log.h"
#include "geo/Route.h"

namespace kelvo {

std::shared_ptr<Turnpoint> Task::turnpoint(std::size_t index) const {
    return index < m_turnpoints.size() ? m_turnpoints[index] : nullptr;
}

void Task::addTurnpoint(std::shared_ptr<Turnpoint> turnpoint, int index) {
    if (!turnpoint) return;
    if (index < 0 || static_cast<std::size_t>(index) >= m_turnpoints.size()) {
        turnpoint->setPreviousWaypointInRoute(m_turnpoints.empty() ? nullptr : m_turnpoints.back());
        m_turnpoints.push_back(std::move(turnpoint));
        return;
    }
    m_turnpoints.insert(m_turnpoints.begin() + index, std::move(turnpoint));
    Waypoint::linkInOrder(m_turnpoints);
}

void Task::removeWaypoint(std::size_t index) {
    if (index >= m_turnpoints.size()) return;
    m_turnpoints.erase(m_turnpoints.begin() + static_cast<std::ptrdiff_t>(index));
    Waypoint::linkInOrder(m_turnpoints);
}

bool Task::useRoute(const Route& route) {
    const std::size_t count = route.waypoints().size();
    if (count < 2) {
        beep();
        logf("Task:useRoute: Attempt to use Route with %d waypoints (should be at least 2).",
             static_cast<int>(count));
        return false;
    }
    m_turnpoints.clear();
    for (const auto& waypoint : route.waypoints()) {
        addTurnpoint(std::make_shared<Turnpoint>(*waypoint));
    }
    return true;
}

}  // namespace kelvo
