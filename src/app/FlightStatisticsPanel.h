#pragma once

#include <QWidget>
#include <optional>

#include "igc/FlightStatistics.h"

class QFormLayout;

namespace kelvo {

// The figures of the flight the viewer shows (take-off, landing, distances, altitudes,
// climbs), in the user's distance unit and time zone; empty without a flight.
class FlightStatisticsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit FlightStatisticsPanel(QWidget* parent = nullptr);

    // Nothing empties the panel.
    void setStatistics(const std::optional<FlightStatistics>& statistics);
    // The value shown beside the label; empty for a label not shown.
    QString valueOf(const QString& label) const;

  private:
    QFormLayout* m_form;
};

}  // namespace kelvo
