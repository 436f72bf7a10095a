#pragma once

#include <QPointF>
#include <QRectF>
#include <memory>
#include <vector>

namespace kelvo {

class Position;
class TracePosition;
class Waypoint;

// Maps positions onto a drawing area, north up: the bounding box of the fixes and task
// points together is centred in the area and scaled to fill it with a margin, east-west
// distances shrunk by the cosine of the centre's latitude so that a track keeps its shape.
// A box without extent (one point) shows about 0.1 degree around it. Task points at 0/0 (a
// recorder's placeholder for an unknown point) are left out.
class TrackProjection {
  public:
    TrackProjection(const std::vector<TracePosition>& fixes,
                    const std::vector<std::shared_ptr<Waypoint>>& points, const QRectF& area);

    QPointF map(const Position& position) const;
    // A point that a task or recorder gives as 0/0, which is no place to draw.
    static bool isPlaceholder(const Position& position);

    // Scales the map by the factor, keeping what lies under the point where it is.
    void zoom(double factor, const QPointF& about);
    void pan(const QPointF& delta);
    // Ground distance [km] that one pixel spans.
    double kilometresPerPixel() const;

  private:
    struct Box {
        double south = 90, north = -90, west = 180, east = -180;  // [degrees]
        void add(const Position& position);
        bool isEmpty() const { return south > north; }
    };
    void fit(const Box& box, const QRectF& area);

    double m_centreLatitude = 0;   // [degrees]
    double m_centreLongitude = 0;  // [degrees]
    double m_eastWestFactor = 1;   // cosine of the centre latitude
    double m_pixelsPerDegree = 1;
    QPointF m_areaCentre;  // where the centre of the box is drawn
};

}  // namespace kelvo
