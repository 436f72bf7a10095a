#pragma once

#include <QWidget>
#include <memory>

class QFormLayout;

namespace kelvo {

class KelvoTrace;

// The figures of the flight the viewer shows (take-off, landing, distances, altitudes,
// climbs), in the user's distance unit and time zone; empty without a flight.
class FlightStatisticsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit FlightStatisticsPanel(QWidget* parent = nullptr);

    void setTrace(const std::shared_ptr<const KelvoTrace>& trace);
    // The value shown beside the label; empty for a label not shown.
    QString valueOf(const QString& label) const;

  private:
    QFormLayout* m_form;
};

}  // namespace kelvo
