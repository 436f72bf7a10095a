#include "app/FlightStatisticsPanel.h"

#include <QFormLayout>
#include <QLabel>

#include "app/KelvoPrefsBasedFormatter.h"

namespace kelvo {

namespace {

QString timeText(const std::optional<std::chrono::sys_seconds>& time) {
    return time ? KelvoPrefsBasedFormatter::getTimeDescription(*time) : QStringLiteral("–");
}

QString altitudeText(const std::optional<double>& metres) {
    return metres ? QStringLiteral("%1 m").arg(*metres, 0, 'f', 0) : QStringLiteral("–");
}

}  // namespace

FlightStatisticsPanel::FlightStatisticsPanel(QWidget* parent)
    : QWidget(parent), m_form(new QFormLayout(this)) {}

void FlightStatisticsPanel::setStatistics(const std::optional<FlightStatistics>& shown) {
    while (m_form->rowCount() > 0) m_form->removeRow(0);
    if (!shown) return;
    const FlightStatistics& statistics = *shown;
    const auto minutes = statistics.flightTime.count() / 60;
    const auto distance = &KelvoPrefsBasedFormatter::getDistanceDescription;
    const std::pair<QString, QString> rows[] = {
        {tr("Take-off"), timeText(statistics.takeoff)},
        {tr("Landing"), timeText(statistics.landing)},
        {tr("Flight time"),
         QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'))},
        {tr("Distance flown"), distance(statistics.distanceFlown)},
        {tr("Greatest distance from take-off"), distance(statistics.greatestDistanceFromTakeoff)},
        {tr("Task distance"),
         statistics.taskDistance ? distance(*statistics.taskDistance) : QStringLiteral("–")},
        {tr("Free distance (3 turnpoints)"), statistics.freeDistance
                                                 ? distance(statistics.freeDistance->distance)
                                                 : QStringLiteral("–")},
        {tr("Highest altitude"), altitudeText(statistics.highestAltitude)},
        {tr("Lowest altitude"), altitudeText(statistics.lowestAltitude)},
        {tr("Altitude gained"), altitudeText(statistics.altitudeGained)},
        {tr("Best 30 s climb"), statistics.bestClimb
                                    ? QStringLiteral("%1 m/s").arg(*statistics.bestClimb, 0, 'f', 1)
                                    : QStringLiteral("–")},
    };
    for (const auto& [label, value] : rows) m_form->addRow(label, new QLabel(value, this));
}

QString FlightStatisticsPanel::valueOf(const QString& label) const {
    for (int row = 0; row < m_form->rowCount(); ++row) {
        const auto* name =
            qobject_cast<QLabel*>(m_form->itemAt(row, QFormLayout::LabelRole)->widget());
        if (name && name->text() == label) {
            return qobject_cast<QLabel*>(m_form->itemAt(row, QFormLayout::FieldRole)->widget())
                ->text();
        }
    }
    return {};
}

}  // namespace kelvo
