#include "app/FlightView.h"

#include <QPainter>
#include <QPainterPath>
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

const QColor kTrackColour(30, 90, 200);
const QColor kTaskColour(200, 40, 40);
const QColor kBarogramColour(20, 120, 60);

double seconds(const TracePosition& fix) {
    return double(fix.timeStamp().time_since_epoch().count());
}

// The lowest and highest altitude [m] of fixes that are not empty.
std::pair<double, double> altitudeRange(const std::vector<TracePosition>& fixes) {
    const auto [lowest, highest] = std::minmax_element(
        fixes.begin(), fixes.end(), [](const TracePosition& a, const TracePosition& b) {
            return a.position().elevation() < b.position().elevation();
        });
    return {lowest->position().elevation(), highest->position().elevation()};
}

// 0..1 of value within [low, high]; the middle when the range is empty.
double share(double value, double low, double high) {
    return high > low ? (value - low) / (high - low) : 0.5;
}

}  // namespace

FlightView::FlightView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(240, 240);
    setAutoFillBackground(false);
}

void FlightView::setTrace(std::shared_ptr<const KelvoTrace> trace) {
    m_trace = std::move(trace);
    update();
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

QPolygonF FlightView::barogramPolygon(const std::vector<TracePosition>& fixes, const QRectF& area) {
    QPolygonF line;
    if (fixes.empty()) return line;
    const auto [low, high] = altitudeRange(fixes);
    const double start = seconds(fixes.front());
    const double end = seconds(fixes.back());
    line.reserve(qsizetype(fixes.size()));
    for (const TracePosition& fix : fixes)
        line << QPointF(
            area.left() + share(seconds(fix), start, end) * area.width(),
            area.bottom() - share(fix.position().elevation(), low, high) * area.height());
    return line;
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
    drawTask(painter, track);
    drawTrack(painter, track);
    drawBarogram(painter, barogramArea(rect()));
}

void FlightView::drawTrack(QPainter& painter, const QRectF& area) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    if (fixes.empty()) return;
    const TrackProjection projection(fixes, area);
    QPolygonF line;
    line.reserve(qsizetype(fixes.size()));
    for (const TracePosition& fix : fixes) line << projection.map(fix.position());
    painter.setPen(QPen(kTrackColour, 1.5));
    painter.drawPolyline(line);
    painter.setBrush(kTrackColour);
    painter.drawEllipse(line.first(), 3, 3);
    painter.setBrush(Qt::black);
    painter.drawEllipse(line.last(), 3, 3);
    painter.setBrush(Qt::NoBrush);
}

void FlightView::drawTask(QPainter& painter, const QRectF& area) const {
    const auto& points = m_trace->waypoints();
    const TrackProjection projection = m_trace->points().empty()
                                           ? TrackProjection(points, area)
                                           : TrackProjection(m_trace->points(), area);
    QPolygonF legs;
    std::vector<const Waypoint*> labelled;
    painter.setPen(QPen(kTaskColour, 1.5));
    for (const auto& point : points) {
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

void FlightView::drawBarogram(QPainter& painter, const QRectF& area) const {
    const std::vector<TracePosition>& fixes = m_trace->points();
    painter.setPen(Qt::gray);
    painter.drawRect(area);
    if (fixes.empty()) return;
    const QPolygonF line = barogramPolygon(fixes, area);
    QPainterPath ground;
    ground.moveTo(line.first().x(), area.bottom());
    for (const QPointF& point : line) ground.lineTo(point);
    ground.lineTo(line.last().x(), area.bottom());
    painter.fillPath(
        ground, QColor(kBarogramColour.red(), kBarogramColour.green(), kBarogramColour.blue(), 40));
    painter.setPen(QPen(kBarogramColour, 1.2));
    painter.drawPolyline(line);

    const auto [low, high] = altitudeRange(fixes);
    painter.setPen(Qt::black);
    const QRectF labels(area.left() - kAxisLabelWidth, area.top(), kAxisLabelWidth - 4,
                        area.height());
    painter.drawText(labels, Qt::AlignRight | Qt::AlignTop, tr("%1 m").arg(std::lround(high)));
    painter.drawText(labels, Qt::AlignRight | Qt::AlignBottom, tr("%1 m").arg(std::lround(low)));
    const QRectF times(area.left(), area.bottom(), area.width(), kTimeLabelHeight);
    painter.drawText(times, Qt::AlignLeft | Qt::AlignVCenter,
                     KelvoPrefsBasedFormatter::getTimeDescription(fixes.front().timeStamp()));
    painter.drawText(times, Qt::AlignRight | Qt::AlignVCenter,
                     KelvoPrefsBasedFormatter::getTimeDescription(fixes.back().timeStamp()));
}

}  // namespace kelvo
