#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bytes.h"

namespace kelvo {

class Route;
class Waypoint;

// One 32-byte route record: up to ten points as big-endian indices into the recorder's
// waypoint list.
class LXRoute {
  public:
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t kMaxPoints = 10;
    static constexpr std::size_t kNotFound = 0x7FFFFFFF;
    static std::size_t blockSize() { return kSize; }
    static Bytes dataForEmptyRoute() { return Bytes(kSize, 0); }

    LXRoute() = default;
    LXRoute(ByteSpan data, std::size_t offset);

    // Fills the record from a route. A point missing from the list is appended to it while
    // the list holds fewer than maxWaypoints; otherwise the logger is full and the answer
    // is false. Points beyond the tenth are not stored.
    bool setRoute(const Route& route, std::vector<std::shared_ptr<Waypoint>>& waypoints,
                  std::size_t maxWaypoints);

    void setData(ByteSpan data);
    Bytes data() const { return Bytes(m_task.begin(), m_task.end()); }

    std::uint8_t prg() const { return m_task[0]; }
    void setPrg(std::uint8_t prg) { m_task[0] = prg; }
    std::uint8_t controlPoint() const { return m_task[1]; }
    void setControlPoint(std::uint8_t point) { m_task[1] = point; }
    std::uint8_t pointType(std::size_t point) const;
    void setType(std::uint8_t type, std::size_t point);
    std::uint16_t pointIndex(std::size_t point) const;
    void setIndex(std::uint16_t index, std::size_t point);

    // The first index whose waypoint lies at the same position, or kNotFound.
    static std::size_t indexOfWaypoint(const Waypoint& waypoint,
                                       const std::vector<std::shared_ptr<Waypoint>>& waypoints);
    // The route of a record in use, with copies of the waypoints it names, every attribute
    // kept (indices past the list are skipped); nothing for a record not in use.
    std::shared_ptr<Route> makeRoute(const std::vector<std::shared_ptr<Waypoint>>& waypoints) const;
    std::string toString() const;

  private:
    std::array<std::uint8_t, kSize> m_task{};
};

}  // namespace kelvo
