#pragma once

#include <QList>
#include <QPolygonF>
#include <QWidget>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "igc/FreeDistance.h"

namespace kelvo {

class KelvoTrace;
class TracePosition;
class TrackProjection;

// The IGC viewer's drawing surface: the selected flight's track seen from above (north
// up, its declared task points marked and joined, a scale bar) and below it the barogram,
// the altitude of every valid fix over time. Take-off, landing and the fix under the mouse
// are marked in both; the wheel zooms about the mouse, dragging pans, Home resets the view.
class FlightView : public QWidget {
    Q_OBJECT

  public:
    static constexpr double kWheelZoomStep = 1.25;  // per notch of the wheel
    // Of the fitted view, so that zooming far out or in never loses the flight.
    static constexpr double kSmallestZoom = 0.25;
    static constexpr double kLargestZoom = 400;
    // Ground speed [m/s] above which a fix counts as moving: faster than a glider is pushed
    // or towed on the ground by hand, slower than any take-off roll.
    static constexpr double kMovingSpeed = 8.0;

    explicit FlightView(QWidget* parent = nullptr);

    // Null shows an empty surface. A new flight is shown whole, with the legs of its scored
    // distance when one is given.
    void setTrace(std::shared_ptr<const KelvoTrace> trace,
                  std::optional<FreeDistance> freeDistance = std::nullopt);
    const std::shared_ptr<const KelvoTrace>& trace() const { return m_trace; }
    // The scored distance drawn over the track: its four legs.
    const std::optional<FreeDistance>& freeDistance() const { return m_freeDistance; }

    // The barogram's lines: time from the left edge (first fix) to the right edge (last
    // fix), altitude from the bottom (lowest) to the top (highest valid fix). An invalid fix
    // has no altitude, so it ends a line and the next valid fix starts another. A flight
    // without spread in time or altitude lies in the middle of that direction.
    static QList<QPolygonF> barogramLines(const std::vector<TracePosition>& fixes,
                                          const QRectF& area);
    // The first and the last moving fix (of two valid fixes in a row, faster than
    // kMovingSpeed); the first and last fix when the glider never moved.
    static std::pair<std::size_t, std::size_t> takeoffAndLanding(
        const std::vector<TracePosition>& fixes);

    // The parts of the surface for a widget of the size.
    static QRectF trackArea(const QRectF& bounds);
    static QRectF barogramArea(const QRectF& bounds);

    // The track area's map as shown now: fitted to the track and task, then zoomed and
    // panned by the user.
    TrackProjection trackProjection() const;
    void zoomAt(const QPointF& at, double factor);
    void panBy(const QPointF& delta);
    void resetView();
    // Marks the fix nearest to the point in the track, or at the point's time in the
    // barogram; nothing elsewhere.
    void hoverAt(const QPointF& at);
    std::optional<std::size_t> hoveredFix() const { return m_hovered; }

    QSize sizeHint() const override { return {480, 480}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void drawTrack(QPainter& painter, const TrackProjection& projection) const;
    void drawTask(QPainter& painter, const TrackProjection& projection) const;
    void drawFreeDistance(QPainter& painter, const TrackProjection& projection) const;
    void drawScaleBar(QPainter& painter, const TrackProjection& projection,
                      const QRectF& area) const;
    void drawBarogram(QPainter& painter, const QRectF& area) const;
    void drawMarks(QPainter& painter, const TrackProjection& projection,
                   const QRectF& barogram) const;
    void drawHoverText(QPainter& painter, const QRectF& track, const QRectF& barogram) const;
    std::optional<std::size_t> nearestFixInTrack(const QPointF& at) const;
    std::optional<std::size_t> fixAtBarogramX(double x, const QRectF& area) const;

    std::shared_ptr<const KelvoTrace> m_trace;
    std::optional<FreeDistance> m_freeDistance;
    double m_zoom = 1;  // over the fitted view
    QPointF m_offset;   // [px] panned from the fitted view
    std::optional<QPointF> m_dragFrom;
    std::optional<std::size_t> m_hovered;
};

}  // namespace kelvo
