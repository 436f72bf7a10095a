#pragma once

#include <memory>
#include <string>
#include <vector>

#include "geo/Waypoint.h"

namespace kelvo {

// A named, ordered list of shared waypoints. The list never holds null.
class Route {
  public:
    Route() = default;

    void setValue(std::string name, std::vector<std::shared_ptr<Waypoint>> waypoints);
    std::string name() const;  // trimmed of spaces and tabs
    void setName(std::string name) { m_name = std::move(name); }
    // The waypoints themselves are shared with the caller, the list is the route's own.
    const std::vector<std::shared_ptr<Waypoint>>& waypoints() const { return m_waypoints; }
    void setWaypoints(std::vector<std::shared_ptr<Waypoint>> waypoints);

    // Appends; null is ignored.
    void addWaypoint(std::shared_ptr<Waypoint> waypoint);
    // Removes every occurrence of this very object.
    void deleteWaypoint(const std::shared_ptr<Waypoint>& waypoint);

    // Total length [km]. Relinks every waypoint to the one before it (the first to none),
    // which is how a route refreshes its legs and distances in route after a change.
    double getDistance();

    bool isItemExpandable() const { return !m_waypoints.empty(); }
    std::size_t numberOfChildrenOfItem() const { return m_waypoints.size(); }
    // Inserts the waypoint itself at the index, or appends it for -1, then relinks.
    // Refuses null and indexes beyond the end.
    bool droppedWaypoint(std::shared_ptr<Waypoint> waypoint, int index);

  private:
    std::string m_name;
    std::vector<std::shared_ptr<Waypoint>> m_waypoints;
};

}  // namespace kelvo
