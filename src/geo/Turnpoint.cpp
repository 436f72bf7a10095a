#include "geo/Turnpoint.h"

#include <algorithm>

namespace kelvo {

namespace {
constexpr std::int32_t kMaxLineWidth = 180;
}

Turnpoint::Turnpoint(const Waypoint& waypoint) {
    takeAttributesOf(waypoint);
    setLatitudeRadians(waypoint.latitudeRadians());
    setLongitudeRadians(waypoint.longitudeRadians());
    setElevation(waypoint.elevation());
}

void Turnpoint::setLineWidth(std::int32_t width) {
    m_lineWidth = std::min(width, kMaxLineWidth);
    if (width != 0) setOzType(1);
}

void Turnpoint::setCylinderRadius(std::int32_t metres) {
    m_cylinderRadius = metres;
    if (metres != 0) setOzType(0);
}

void Turnpoint::setSectorRadius(std::int32_t metres) {
    m_sectorRadius = metres;
    if (metres != 0) setOzType(0);
}

void Turnpoint::setSectorDirection(std::int32_t degrees) {
    m_sectorDirection = degrees;
    if (degrees != 0) setOzType(0);
}

void Turnpoint::setOzType(std::int32_t type) {
    m_ozType = type;
    if (type != 0) {
        m_cylinderRadius = 0;
        m_sectorRadius = 0;
        m_sectorDirection = 0;
    } else {
        m_lineWidth = 0;
    }
}

std::int32_t Turnpoint::getLineWidth() const {
    return isLine() ? m_lineWidth : 0;
}
std::int32_t Turnpoint::getCylinderRadius() const {
    return m_ozType == 0 ? m_cylinderRadius : 0;
}
std::int32_t Turnpoint::getSectorRadius() const {
    return m_ozType == 0 ? m_sectorRadius : 0;
}
std::int32_t Turnpoint::getSectorDirection() const {
    return m_ozType == 0 ? m_sectorDirection : 0;
}

}  // namespace kelvo
