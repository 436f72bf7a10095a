#pragma once

#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {

// A point on the earth: latitude and longitude in radians (north and east positive) and
// elevation [m], stored as given without range checks. Distances are in kilometres on the
// WGS-84 ellipsoid, bearings in degrees 0 <= b < 360.
class Position {
  public:
    Position() = default;
    static Position fromDegrees(double latitudeDegrees, double longitudeDegrees, double elevation);
    static Position fromRadians(double latitudeRadians, double longitudeRadians, double elevation);

    Latitude latitude() const { return Latitude::fromRadians(m_latitude); }
    Longitude longitude() const { return Longitude::fromRadians(m_longitude); }
    // Any coordinate; only its radians are taken.
    void setLatitude(const Coordinate& latitude) { m_latitude = latitude.radians(); }
    void setLongitude(const Coordinate& longitude) { m_longitude = longitude.radians(); }

    double latitudeDegrees() const;
    double longitudeDegrees() const;
    void setLatitudeDegrees(double degrees);
    void setLongitudeDegrees(double degrees);
    double latitudeRadians() const { return m_latitude; }
    double longitudeRadians() const { return m_longitude; }
    void setLatitudeRadians(double radians) { m_latitude = radians; }
    void setLongitudeRadians(double radians) { m_longitude = radians; }
    double elevation() const { return m_elevation; }  // [m]
    void setElevation(double metres) { m_elevation = metres; }

    bool isLatitudeValid() const { return latitude().isValid(); }
    bool isLongitudeValid() const { return longitude().isValid(); }
    bool isValid() const { return isLatitudeValid() && isLongitudeValid(); }
    // Latitude and longitude each within 0.0001 degree; elevation is not compared.
    bool isEqualTo(const Position& other) const;
    Position copy() const { return *this; }

    // [km]; Vincenty's inverse formula. NaN when it does not converge (near-antipodal).
    double distanceTo(const Position& other) const { return distanceToUsingVincenty(other); }
    double distanceToUsingVincenty(const Position& other) const;
    // [km] on a sphere of radius 6378 km.
    double distanceToUsingHaversine(const Position& other) const;
    // Initial great-circle bearing [degrees] from `other` to this position; 0 when equal.
    double bearingFrom(const Position& other) const;

  private:
    double m_latitude = 0.0;   // [rad]
    double m_longitude = 0.0;  // [rad]
    double m_elevation = 0.0;  // [m]
};

}  // namespace kelvo
