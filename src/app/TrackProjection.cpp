#include "app/TrackProjection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geo/Position.h"
#include "geo/Waypoint.h"
#include "igc/TracePosition.h"

namespace kelvo {

namespace {

constexpr double kFilledFraction = 0.8;  // of the area, the rest is margin
constexpr double kSpanOfOnePoint = 0.1;  // [degrees] shown around a box without extent
constexpr double kKilometresPerDegreeOfLatitude = 111.2;

}  // namespace

void TrackProjection::Box::add(const Position& position) {
    south = std::min(south, position.latitudeDegrees());
    north = std::max(north, position.latitudeDegrees());
    west = std::min(west, position.longitudeDegrees());
    east = std::max(east, position.longitudeDegrees());
}

TrackProjection::TrackProjection(const std::vector<TracePosition>& fixes,
                                 const std::vector<std::shared_ptr<Waypoint>>& points,
                                 const QRectF& area) {
    Box box;
    for (const TracePosition& fix : fixes) box.add(fix.position());
    for (const auto& point : points)
        if (!isPlaceholder(*point)) box.add(*point);
    fit(box, area);
}

bool TrackProjection::isPlaceholder(const Position& position) {
    return position.latitudeRadians() == 0 && position.longitudeRadians() == 0;
}

void TrackProjection::fit(const Box& box, const QRectF& area) {
    m_areaCentre = area.center();
    if (box.isEmpty()) return;
    m_centreLatitude = (box.south + box.north) / 2;
    m_centreLongitude = (box.west + box.east) / 2;
    m_eastWestFactor = std::cos(m_centreLatitude * std::numbers::pi / 180);
    const double height = box.north - box.south;
    const double width = (box.east - box.west) * m_eastWestFactor;
    double scale = std::min(height > 0 ? area.height() / height : INFINITY,
                            width > 0 ? area.width() / width : INFINITY);
    if (!std::isfinite(scale)) scale = std::min(area.width(), area.height()) / kSpanOfOnePoint;
    m_pixelsPerDegree = scale * kFilledFraction;
}

QPointF TrackProjection::map(const Position& position) const {
    const double east = (position.longitudeDegrees() - m_centreLongitude) * m_eastWestFactor;
    const double north = position.latitudeDegrees() - m_centreLatitude;
    return {m_areaCentre.x() + east * m_pixelsPerDegree,
            m_areaCentre.y() - north * m_pixelsPerDegree};
}

void TrackProjection::zoom(double factor, const QPointF& about) {
    m_pixelsPerDegree *= factor;
    m_areaCentre = about + (m_areaCentre - about) * factor;
}

void TrackProjection::pan(const QPointF& delta) {
    m_areaCentre += delta;
}

double TrackProjection::kilometresPerPixel() const {
    return kKilometresPerDegreeOfLatitude / m_pixelsPerDegree;
}

}  // namespace kelvo
