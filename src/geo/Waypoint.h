#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geo/Position.h"

namespace kelvo {

// A named position with the airfield attributes that loggers and waypoint files exchange.
// Waypoints are shared (std::shared_ptr); inside a route or task each one links to its
// predecessor without owning it, so it can show its leg and its distance along the route.
class Waypoint : public Position {
  public:
    // Training circle "I", everything else 0 or unset.
    Waypoint() = default;
    virtual ~Waypoint() = default;
    Waypoint(const Waypoint&) = default;
    Waypoint& operator=(const Waypoint&) = default;
    Waypoint(Waypoint&&) = default;
    Waypoint& operator=(Waypoint&&) = default;

    // Every attribute but position and name 0 or unset, the training circle included.
    static std::shared_ptr<Waypoint> fromDegrees(std::string name, double latitudeDegrees,
                                                 double longitudeDegrees, double elevation);
    // The defaults, then setValueFromStrings.
    static std::shared_ptr<Waypoint> fromStrings(std::string name, std::string_view latitude,
                                                 std::string_view longitude, double elevation);

    // Also drops the predecessor and resets the type to 0.
    void setValue(std::string name, const Latitude& latitude, const Longitude& longitude);
    void setValue(std::string name, const Latitude& latitude, const Longitude& longitude,
                  double elevation);
    void setValueFromDegrees(std::string name, double latitudeDegrees, double longitudeDegrees,
                             double elevation);
    // Each text in any form Coordinate parses.
    void setValueFromStrings(std::string name, std::string_view latitude,
                             std::string_view longitude, double elevation);

    // Names trimmed of spaces and tabs; an unset name reads as empty.
    std::string name() const;
    std::string longName() const;
    const std::string& country() const { return m_country; }
    void setName(std::string name) { m_name = std::move(name); }
    void setLongName(std::string longName) { m_longName = std::move(longName); }
    void setCountry(std::string country) { m_country = std::move(country); }

    // Style code, passed through unchanged between sources.
    std::int32_t type() const { return m_type; }
    void setType(std::int32_t type) { m_type = type; }
    double frequency() const { return m_frequency; }  // [MHz]
    void setFrequency(double megahertz) { m_frequency = megahertz; }
    std::int32_t runwayLength() const { return m_runwayLength; }  // [m]
    void setRunwayLength(std::int32_t metres) { m_runwayLength = metres; }
    std::int32_t runwayDirection() const { return m_runwayDirection; }  // [degrees]
    void setRunwayDirection(std::int32_t degrees) { m_runwayDirection = degrees; }
    char trainingCircle() const { return m_trainingCircle; }
    void setTrainingCircle(char code) { m_trainingCircle = code; }
    std::int32_t trainingCircleSize() const { return m_trainingCircleSize; }
    void setTrainingCircleSize(std::int32_t size) { m_trainingCircleSize = size; }
    std::int32_t trainingCircleDirection() const { return m_trainingCircleDirection; }
    void setTrainingCircleDirection(std::int32_t direction) {
        m_trainingCircleDirection = direction;
    }

    // The long name when it is not empty, else the untrimmed name.
    std::string description() const;

    // The predecessor in a route or task; null for the first, or once it is gone.
    std::shared_ptr<Waypoint> previousWaypointInRoute() const { return m_previous.lock(); }
    void setPreviousWaypointInRoute(const std::shared_ptr<Waypoint>& previous) {
        m_previous = previous;
    }
    double distanceFromPreviousWaypoint() const;  // [km], 0 without a predecessor
    double bearingFromPreviousWaypoint() const;   // [degrees], 0 without a predecessor
    // [km] along the predecessor links from the first waypoint. A chain that loops back
    // (one waypoint twice in a route) is followed only up to the repeat.
    double distanceInRoute() const;

    // A valid position and a trimmed name that is not empty and plain ASCII.
    bool isValid() const;
    // Name, long name, type, frequency, runway, training circle and its size; latitude and
    // longitude only when a name is set. Country, elevation, training-circle direction and
    // the predecessor are not carried. Always a plain Waypoint, also for a Turnpoint.
    std::shared_ptr<Waypoint> copy() const;

    // A leaf in the route outline.
    bool isItemExpandable() const { return false; }
    std::size_t numberOfChildrenOfItem() const { return 0; }
    // Dropped onto this waypoint (index -1): takes its name and coordinates.
    bool droppedWaypoint(const std::shared_ptr<Waypoint>& dropped, int index);

    // Links each waypoint to the one before it and the first to none.
    template <typename WaypointList>
    static void linkInOrder(const WaypointList& waypoints) {
        std::shared_ptr<Waypoint> previous;
        for (const auto& waypoint : waypoints) {
            waypoint->setPreviousWaypointInRoute(previous);
            previous = waypoint;
        }
    }

  protected:
    // The attributes that a copy and a turnpoint take over from their source.
    void takeAttributesOf(const Waypoint& source);

  private:
    std::optional<std::string> m_name;
    std::string m_longName;
    std::string m_country;
    std::int32_t m_type = 0;
    double m_frequency = 0.0;
    std::int32_t m_runwayLength = 0;
    std::int32_t m_runwayDirection = 0;
    char m_trainingCircle = 'I';
    std::int32_t m_trainingCircleSize = 0;
    std::int32_t m_trainingCircleDirection = 0;
    std::weak_ptr<Waypoint> m_previous;
};

}  // namespace kelvo
