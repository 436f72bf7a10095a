#include "app/WaypointsComboDataSource.h"

#include "geo/Waypoint.h"

namespace kelvo {

void WaypointsComboDataSource::setData(const WaypointList* waypoints) {
    beginResetModel();
    m_waypoints = waypoints;
    endResetModel();
}

int WaypointsComboDataSource::indexOfItemWithStringValue(const QString& text) const {
    if (!m_waypoints) return 0;
    const std::string wanted = text.toStdString();
    for (std::size_t i = 0; i < m_waypoints->size(); ++i)
        if ((*m_waypoints)[i]->description() == wanted) return static_cast<int>(i) + 1;
    return 0;
}

int WaypointsComboDataSource::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_waypoints || m_waypoints->empty()) return 0;
    return static_cast<int>(m_waypoints->size()) + 1;
}

QVariant WaypointsComboDataSource::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !checkIndex(index)) return {};
    if (index.row() == 0) return QString("");
    return QString::fromStdString(
        (*m_waypoints)[static_cast<std::size_t>(index.row() - 1)]->description());
}

}  // namespace kelvo
