#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "geo/Turnpoint.h"

namespace kelvo {

class Route;

// The ordered turnpoints of a declaration. Every change relinks the turnpoints in order, so
// a predecessor link never points at a turnpoint that left the task.
class Task {
  public:
    Task() = default;

    std::size_t numOfTurnpoints() const { return m_turnpoints.size(); }
    // Null beyond the end.
    std::shared_ptr<Turnpoint> turnpoint(std::size_t index) const;
    const std::vector<std::shared_ptr<Turnpoint>>& turnpoints() const { return m_turnpoints; }

    // Appends for index -1 (or any index beyond the end), otherwise inserts at the index.
    // Null is ignored.
    void addTurnpoint(std::shared_ptr<Turnpoint> turnpoint, int index = -1);
    // Nothing happens for an index beyond the end.
    void removeWaypoint(std::size_t index);
    // Replaces the turnpoints by new ones made from the route's waypoints. A route of
    // fewer than 2 waypoints beeps, is logged and leaves the task unchanged (false).
    bool useRoute(const Route& route);

  private:
    std::vector<std::shared_ptr<Turnpoint>> m_turnpoints;
};

}  // namespace kelvo
