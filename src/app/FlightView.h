#pragma once

#include <QPolygonF>
#include <QWidget>
#include <memory>
#include <vector>

namespace kelvo {

class KelvoTrace;
class TracePosition;

// The IGC viewer's drawing surface: the selected flight's track seen from above (north
// up, its declared task points marked and joined) and below it the barogram, the altitude
// of every fix over time.
class FlightView : public QWidget {
    Q_OBJECT

  public:
    explicit FlightView(QWidget* parent = nullptr);

    // Null shows an empty surface.
    void setTrace(std::shared_ptr<const KelvoTrace> trace);
    const std::shared_ptr<const KelvoTrace>& trace() const { return m_trace; }

    // The barogram's line: time from the left edge (first fix) to the right edge (last
    // fix), altitude from the bottom (lowest) to the top (highest). A flight without spread
    // in time or altitude lies in the middle of that direction.
    static QPolygonF barogramPolygon(const std::vector<TracePosition>& fixes, const QRectF& area);

    // The parts of the surface for a widget of the size.
    static QRectF trackArea(const QRectF& bounds);
    static QRectF barogramArea(const QRectF& bounds);

    QSize sizeHint() const override { return {480, 480}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void drawTrack(QPainter& painter, const QRectF& area) const;
    void drawTask(QPainter& painter, const QRectF& area) const;
    void drawBarogram(QPainter& painter, const QRectF& area) const;

    std::shared_ptr<const KelvoTrace> m_trace;
};

}  // namespace kelvo
