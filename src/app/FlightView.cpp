#include "app/FlightView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/KelvoPrefsBasedFormatter.h"
#include "app/TrackProjection.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

namespace {

constexpr double kBarogramShare = 0.3;   // of the surface's height
constexpr double kMargin = 8;            // [px]
constexpr double kAxisLabelWidth = 56;   // [px] left of the barogram
constexpr double kTimeLabelHeight = 18;  // [px] below the barogram
constexpr double kScaleBarShare = 0.2;   // of the track area's width, at most
constexpr double kHoverReach = 24;       // [px] from the track to a hovered fix

const QColor kTrackColour(30, 90, 200);
const QColor kTaskColour(200, 40, 40);
const QColor kFreeDistanceColour(20, 150, 60);
const QColor kBarogramColour(20, 120, 60);
const QColor kTakeoffColour(20, 150, 60);
const QColor kHoverColour(240, 140, 0);

double seconds(const TracePosition& fix) {
    return double(fix.timeStamp().time_since_epoch().count());
}

// 0..1 of value within [low, high]; the middle when the range is empty.
double share(double value, double low, double high) {
    return high > low ? (value - low) / (high - low) : 0.5;
}

// Where a fix lies in the barogram: time across, altitude up.
class BarogramScale {
  public:
    BarogramScale(const std::vector<TracePosition>& fixes, const QRectF& area) : m_area(area) {
        m_start = seconds(fixes.front());
        m_end = seconds(fixes.back());
        for (const TracePosition& fix : fixes) {
            if (!fix.isValid()) continue;
            m_low = std::min(m_low, fix.position().elevation());
            m_high = std::max(m_high, fix.position().elevation());
        }
    }
    bool hasAltitudes() const { return m_low <= m_high; }
    double low() const { return m_low; }
    double high() const { return m_high; }
    double x(const TracePosition& fix) const {
        return m_area.left() + share(seconds(fix), m_start, m_end) * m_area.width();
    }
    QPointF map(const TracePosition& fix) const {
        return {x(fix), m_area.bottom() -
                            share(fix.position().elevation(), m_low, m_high) * m_area.height()};
    }

  private:
    QRectF m_area;
    double m_start = 0, m_end = 0;                // [s]
    double m_low = INFINITY, m_high = -INFINITY;  // [m]
};

// 1, 2 or 5 times a power of ten, the largest not above the limit.
double roundScaleLength(double limit) {
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= limit) return step * power;
    return power;
}

// Text on a light box whose top left corner is at the point.
void drawLabel(QPainter& painter, const QPointF& topLeft, const QString& text) {
    const QRectF box(topLeft, QSizeF(painter.fontMetrics().horizontalAdvance(text) + 8,
                                     painter.fontMetrics().height() + 4));
    painter.fillRect(box, QColor(255, 255, 255, 220));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

void drawMarker(QPainter& painter, const QPointF& at, const QColor& colour) {
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour);
    painter.drawEllipse(at, 4.5, 4.5);
    painter.setBrush(Qt::NoBrush);
}

}  // namespace

FlightView::FlightView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(240, 240);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(tr("Wheel: zoom. Drag: move. Home: whole flight."));
}

void FlightView::setTrace(std::shared_ptr<const KelvoTrace> trace,
                          std::optional<FreeDistance> freeDistance) {
    m_trace = std::move(trace);
    m_freeDistance = m_trace ? std::move(freeDistance) : std::nullopt;
    m_hovered.reset();
    resetView();
}

QRectF FlightView::trackArea(const QRectF& bounds) {
    QRectF area = bounds.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    area.setHeight(area.height() * (1 - kBarogramShare) - kMargin);
    return area;
}

QRectF FlightView::barogramArea(const QRectF& bounds) {
    const QRectF inner = bounds.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const double top = inner.bottom() - inner.height() * kBarogramShare;
    return QRectF(QPointF(inner.left() + kAxisLabelWidth, top),
                  QPointF(inner.right(), inner.bottom() - kTimeLabelHeight));
}

QList<QPolygonF> FlightView::barogramLines(const std::vector<TracePosition>& fixes,
                                           const QRectF& area) {
    QList<QPolygonF> lines;
    if (fixes.empty()) return lines;
    const BarogramScale scale(fixes, area);
    QPolygonF line;
    for (const TracePosition& fix : fixes) {
        if (fix.isValid()) {
            line << scale.map(fix);
        } else if (!line.isEmpty()) {
            lines << line;
            line.clear();
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

std::pair<std::size_t, std::size_t> FlightView::takeoffAndLanding(
    const std::vector<TracePosition>& fixes) {
    std::optional<std::size_t> takeoff;
    std::size_t landing = fixes.empty() ? 0 : fixes.size() - 1;
    std::optional<std::size_t> previous;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        if (!fixes[i].isValid()) continue;
        if (previous) {
            const double elapsed = seconds(fixes[i]) - seconds(fixes[*previous]);
            const double metres =
                fixes[*previous].position().distanceToUsingHaversine(fixes[i].position()) * 1000;
            if (elapsed > 0 && metres / elapsed > kMovingSpeed) {
                if (!takeoff) takeoff = *previous;
                landing = i;
            }
        }
        previous = i;
    }
    return {takeoff.value_or(0), landing};
}

TrackProjection FlightView::trackProjection() const {
    const QRectF area = trackArea(rect());
    static const std::vector<TracePosition> noFixes;
    static const std::vector<std::shared_ptr<Waypoint>> noPoints;
    TrackProjection projection(m_trace ? m_trace->points() : noFixes,
                               m_trace ? m_trace->waypoints() : noPoints, area);
    projection.zoom(m_zoom, area.center());
    projection.pan(m_offset);
    return projection;
}

void FlightView::zoomAt(const QPointF& at, double factor) {
    factor = std::clamp(m_zoom * factor, kSmallestZoom, kLargestZoom) / m_zoom;
    // The same algebra as TrackProjection::zoom, kept as a factor and an offset so that the
    // view survives a resize of the window.
    const QPointF centre = trackArea(rect()).center();
    m_offset = at - centre - (at - centre - m_offset) * factor;
    m_zoom *= factor;
    update();
}

void FlightView::panBy(const QPointF& delta) {
    m_offset += delta;
    update();
}

void FlightView::resetView() {
    m_zoom = 1;
    m_offset = {};
    update();
}

void FlightView::hoverAt(const QPointF& at) {
    std::optional<std::size_t> fix;
    if (trackArea(rect()).contains(at))
        fix = nearestFixInTrack(at);
    else if (barogramArea(rect()).contains(at))
        fix = fixAtBarogramX(at.x(), barogramArea(rect()));
    if (fix == m_hovered) return;
    m_hovered = fix;
    update();
}

std::optional<std::size_t> FlightView::nearestFixInTrack(const QPointF& at) const {
    if (!m_trace) return std::nullopt;
    const TrackProjection projection = trackProjection();
    const std::vector<TracePosition>& fixes = m_trace->points();
    std::optional<std::size_t> nearest;
    double nearestDistance = kHoverReach * kHoverReach;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        const QPointF offset = projection.map(fixes[i].position()) - at;
        const double distance = QPointF::dotProduct(offset, offset);
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = i;
        }
    }
    return nearest;
}

std::optional<std::size_t> FlightView::fixAtBarogramX(double x, const QRectF& area) const {
    if (!m_trace || m_trace->points().empty()) return std::nullopt;
    const std::vector<TracePosition>& fixes = m_trace->points();
    const BarogramScale scale(fixes, area);
    const auto after = std::lower_bound(
        fixes.begin(), fixes.end(), x,
        [&](const TracePosition& fix, double wanted) { return scale.x(fix) < wanted; });
    if (after == fixes.end()) return fixes.size() - 1;
    if (after != fixes.begin() && x - scale.x(*(after - 1)) < scale.x(*after) - x)
        return std::size_t(after - 1 - fixes.begin());
    return std::size_t(after - fixes.begin());
}

void FlightView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_trace || (m_trace->points().empty() && m_trace->waypoints().empty())) {
        painter.setPen(Qt::gray);
        painter.drawText(rect(), Qt::AlignCenter,
                         m_trace ? tr("This flight has no fixes.") : tr("No flight selected."));
        return;
    }
    const QRectF track = trackArea(rect());
    const QRectF barogram = barogramArea(rect());
    const TrackProjection projection = trackProjection();
    painter.save();
    painter.setClipRect(track);
    drawTask(painter, projection);
    drawTrack(painter, projection);
    drawFreeDistance(painter, projection);
    painter.restore();
    drawScaleBar(painter, projection, track);
    drawBarogram(painter, barogram);
    drawMarks(painter, projection, barogram);
    drawHoverText(painter, track, barogram);
}

void FlightView::drawTrack(QPainter& painter, const TrackProjection& projection) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    if (fixes.empty()) return;
    QPolygonF line;
    line.reserve(qsizetype(fixes.size()));
    for (const TracePosition& fix : fixes) line << projection.map(fix.position());
    painter.setPen(QPen(kTrackColour, 1.5));
    painter.drawPolyline(line);
}

void FlightView::drawTask(QPainter& painter, const TrackProjection& projection) const {
    QPolygonF legs;
    std::vector<const Waypoint*> labelled;
    painter.setPen(QPen(kTaskColour, 1.5));
    for (const auto& point : m_trace->waypoints()) {
        if (TrackProjection::isPlaceholder(*point)) continue;
        const QPointF at = projection.map(*point);
        legs << at;
        // Start and finish often share a place; the first name stands for both.
        const bool sharesPlace =
            std::any_of(labelled.begin(), labelled.end(),
                        [&](const Waypoint* other) { return other->isEqualTo(*point); });
        if (sharesPlace) continue;
        labelled.push_back(point.get());
        painter.drawEllipse(at, 5, 5);
        painter.drawText(at + QPointF(7, -7), QString::fromStdString(point->name()));
    }
    painter.setPen(QPen(kTaskColour, 1, Qt::DashLine));
    painter.drawPolyline(legs);
}

void FlightView::drawFreeDistance(QPainter& painter, const TrackProjection& projection) const {
    if (!m_freeDistance) return;
    QPolygonF legs;
    for (const TracePosition& point : m_freeDistance->points)
        legs << projection.map(point.position());
    painter.setPen(QPen(kFreeDistanceColour, 2));
    painter.drawPolyline(legs);
    for (const QPointF& at : legs) painter.drawRect(QRectF(at - QPointF(3, 3), QSizeF(6, 6)));
}

void FlightView::drawScaleBar(QPainter& painter, const TrackProjection& projection,
                              const QRectF& area) const {
    const double kilometres =
        roundScaleLength(area.width() * kScaleBarShare * projection.kilometresPerPixel());
    const double length = kilometres / projection.kilometresPerPixel();
    const QPointF left = area.bottomLeft() + QPointF(kMargin, -kMargin);
    const QPointF right = left + QPointF(length, 0);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(left, right);
    painter.drawLine(left, left - QPointF(0, 5));
    painter.drawLine(right, right - QPointF(0, 5));
    painter.drawText(left + QPointF(0, -8), tr("%1 km").arg(kilometres));
}

void FlightView::drawBarogram(QPainter& painter, const QRectF& area) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    painter.setPen(Qt::gray);
    painter.drawRect(area);
    if (fixes.empty()) return;
    const QColor ground(kBarogramColour.red(), kBarogramColour.green(), kBarogramColour.blue(), 40);
    for (const QPolygonF& line : barogramLines(fixes, area)) {
        QPainterPath below;
        below.moveTo(line.first().x(), area.bottom());
        for (const QPointF& point : line) below.lineTo(point);
        below.lineTo(line.last().x(), area.bottom());
        painter.fillPath(below, ground);
        painter.setPen(QPen(kBarogramColour, 1.2));
        painter.drawPolyline(line);
    }

    const BarogramScale scale(fixes, area);
    painter.setPen(Qt::black);
    if (scale.hasAltitudes()) {
        const QRectF labels(area.left() - kAxisLabelWidth, area.top(), kAxisLabelWidth - 4,
                            area.height());
        painter.drawText(labels, Qt::AlignRight | Qt::AlignTop,
                         tr("%1 m").arg(std::lround(scale.high())));
        painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom,
                         tr("%1 m").arg(std::lround(scale.low())));
    }
    const QRectF times(area.left(), area.bottom(), area.width(), kTimeLabelHeight);
    painter.drawText(times, Qt::AlignLeft | Qt::AlignVCenter,
                     KelvoPrefsBasedFormatter::getTimeDescription(fixes.front().timeStamp()));
    painter.drawText(times, Qt::AlignRight | Qt::AlignVCenter,
                     KelvoPrefsBasedFormatter::getTimeDescription(fixes.back().timeStamp()));
}

void FlightView::drawMarks(QPainter& painter, const TrackProjection& projection,
                           const QRectF& barogram) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    if (fixes.empty()) return;
    const BarogramScale scale(fixes, barogram);
    const QRectF track = trackArea(rect());
    auto mark = [&](std::size_t index, const QColor& colour) {
        const TracePosition& fix = fixes[index];
        const QPointF inTrack = projection.map(fix.position());
        if (track.contains(inTrack)) drawMarker(painter, inTrack, colour);
        const double x = scale.x(fix);
        painter.setPen(QPen(colour, 1, Qt::DotLine));
        painter.drawLine(QPointF(x, barogram.top()), QPointF(x, barogram.bottom()));
        if (fix.isValid() && scale.hasAltitudes()) drawMarker(painter, scale.map(fix), colour);
    };
    const auto [takeoff, landing] = takeoffAndLanding(fixes);
    mark(takeoff, kTakeoffColour);
    mark(landing, Qt::black);
    if (m_hovered && *m_hovered < fixes.size()) mark(*m_hovered, kHoverColour);
}

void FlightView::drawHoverText(QPainter& painter, const QRectF& track,
                               const QRectF& barogram) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    if (!m_hovered || *m_hovered >= fixes.size()) return;
    const TracePosition& fix = fixes[*m_hovered];
    const QString timeAndAltitude =
        KelvoPrefsBasedFormatter::getTimeDescription(fix.timeStamp()) + QStringLiteral("   ") +
        (fix.isValid() ? tr("%1 m").arg(std::lround(fix.position().elevation()))
                       : tr("no altitude"));
    const QString position =
        KelvoPrefsBasedFormatter::getCoordinateDescription(fix.position().latitude()) +
        QLatin1Char(' ') +
        KelvoPrefsBasedFormatter::getCoordinateDescription(fix.position().longitude());
    drawLabel(painter, track.topLeft() + QPointF(8, 8),
              timeAndAltitude + QStringLiteral("   ") + position);
    // Beside the mark's line, on the side with room.
    const double x = BarogramScale(fixes, barogram).x(fix);
    const double width = painter.fontMetrics().horizontalAdvance(timeAndAltitude) + 8;
    const double left = x + 6 + width <= barogram.right() ? x + 6 : x - 6 - width;
    drawLabel(painter, QPointF(left, barogram.top() + 4), timeAndAltitude);
}

void FlightView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || !trackArea(rect()).contains(event->position())) return;
    zoomAt(event->position(), std::pow(kWheelZoomStep, notches));
    event->accept();
}

void FlightView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && trackArea(rect()).contains(event->position()))
        m_dragFrom = event->position();
}

void FlightView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragFrom) {
        panBy(event->position() - *m_dragFrom);
        m_dragFrom = event->position();
    }
    hoverAt(event->position());
}

void FlightView::mouseReleaseEvent(QMouseEvent*) {
    m_dragFrom.reset();
}

void FlightView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_0)
        resetView();
    else
        QWidget::keyPressEvent(event);
}

void FlightView::leaveEvent(QEvent*) {
    if (!m_hovered) return;
    m_hovered.reset();
    update();
}

}  // namespace kelvo
