#include "geo/Waypoint.h"

#include <algorithm>
#include <numeric>

#include "base/Text.h"

namespace kelvo {

std::shared_ptr<Waypoint> Waypoint::fromDegrees(std::string name, double latitudeDegrees,
                                                double longitudeDegrees, double elevation) {
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->m_trainingCircle = 0;
    waypoint->setValueFromDegrees(std::move(name), latitudeDegrees, longitudeDegrees, elevation);
    return waypoint;
}

std::shared_ptr<Waypoint> Waypoint::fromStrings(std::string name, std::string_view latitude,
                                                std::string_view longitude, double elevation) {
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setValueFromStrings(std::move(name), latitude, longitude, elevation);
    return waypoint;
}

void Waypoint::setValue(std::string name, const Latitude& latitude, const Longitude& longitude) {
    m_name = std::move(name);
    setLatitude(latitude);
    setLongitude(longitude);
    m_previous.reset();
    m_type = 0;
}

void Waypoint::setValue(std::string name, const Latitude& latitude, const Longitude& longitude,
                        double elevation) {
    setValue(std::move(name), latitude, longitude);
    setElevation(elevation);
}

void Waypoint::setValueFromDegrees(std::string name, double latitudeDegrees,
                                   double longitudeDegrees, double elevation) {
    m_name = std::move(name);
    setLatitudeDegrees(latitudeDegrees);
    setLongitudeDegrees(longitudeDegrees);
    setElevation(elevation);
}

void Waypoint::setValueFromStrings(std::string name, std::string_view latitude,
                                   std::string_view longitude, double elevation) {
    m_name = std::move(name);
    setLatitudeRadians(Coordinate::stringToRadians(latitude));
    setLongitudeRadians(Coordinate::stringToRadians(longitude));
    setElevation(elevation);
}

std::string Waypoint::name() const {
    return trimSpacesAndTabs(m_name.value_or(""));
}

std::string Waypoint::longName() const {
    return trimSpacesAndTabs(m_longName);
}

std::string Waypoint::description() const {
    return m_longName.empty() ? m_name.value_or("") : m_longName;
}

double Waypoint::distanceFromPreviousWaypoint() const {
    const auto previous = m_previous.lock();
    return previous ? distanceTo(*previous) : 0.0;
}

double Waypoint::bearingFromPreviousWaypoint() const {
    const auto previous = m_previous.lock();
    return previous ? bearingFrom(*previous) : 0.0;
}

double Waypoint::distanceInRoute() const {
    std::vector<const Waypoint*> visited{this};
    std::vector<double> legs;
    std::shared_ptr<const Waypoint> holder;  // keeps `current` alive while it is walked
    const Waypoint* current = this;
    while (auto previous = current->m_previous.lock()) {
        if (std::find(visited.begin(), visited.end(), previous.get()) != visited.end()) break;
        legs.push_back(current->distanceTo(*previous));
        visited.push_back(previous.get());
        current = previous.get();
        holder = std::move(previous);
    }
    // Summed from the first leg on, in the order a route adds up its length.
    return std::accumulate(legs.rbegin(), legs.rend(), 0.0);
}

bool Waypoint::isValid() const {
    const std::string trimmed = name();
    return Position::isValid() && !trimmed.empty() && isAscii(trimmed);
}

void Waypoint::takeAttributesOf(const Waypoint& source) {
    m_name = source.m_name;
    m_longName = source.m_longName;
    m_frequency = source.m_frequency;
    m_runwayLength = source.m_runwayLength;
    m_runwayDirection = source.m_runwayDirection;
    m_trainingCircle = source.m_trainingCircle;
    m_trainingCircleSize = source.m_trainingCircleSize;
}

std::shared_ptr<Waypoint> Waypoint::copy() const {
    auto copy = std::make_shared<Waypoint>();
    copy->takeAttributesOf(*this);
    copy->m_type = m_type;
    if (m_name) {
        copy->setLatitudeRadians(latitudeRadians());
        copy->setLongitudeRadians(longitudeRadians());
    }
    return copy;
}

bool Waypoint::droppedWaypoint(const std::shared_ptr<Waypoint>& dropped, int index) {
    if (index != -1 || !dropped) return false;
    m_name = dropped->m_name;
    setLatitudeRadians(dropped->latitudeRadians());
    setLongitudeRadians(dropped->longitudeRadians());
    return true;
}

}  // namespace kelvo
