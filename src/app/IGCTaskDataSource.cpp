#include "app/IGCTaskDataSource.h"

#include "app/KelvoPrefsBasedFormatter.h"
#include "geo/Waypoint.h"

namespace kelvo {

const QStringList& IGCTaskDataSource::columnIdentifiers() {
    static const QStringList identifiers{QStringLiteral("turnpoint"), QStringLiteral("latitude"),
                                         QStringLiteral("longitude")};
    return identifiers;
}

void IGCTaskDataSource::setData(Waypoints waypoints) {
    beginResetModel();
    m_waypoints = std::move(waypoints);
    endResetModel();
}

void IGCTaskDataSource::notationDidChange() {
    if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int IGCTaskDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_waypoints.size());
}

int IGCTaskDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columnIdentifiers().size());
}

QVariant IGCTaskDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const Waypoint& waypoint = *m_waypoints[std::size_t(index.row())];
    const QString& column = columnIdentifiers()[index.column()];
    if (column == QLatin1String("turnpoint")) return QString::fromStdString(waypoint.name());
    if (column == QLatin1String("latitude"))
        return KelvoPrefsBasedFormatter::getCoordinateDescription(waypoint.latitude());
    if (column == QLatin1String("longitude"))
        return KelvoPrefsBasedFormatter::getCoordinateDescription(waypoint.longitude());
    return QString();
}

QVariant IGCTaskDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0:
            return tr("Turnpoint");
        case 1:
            return tr("Latitude");
        case 2:
            return tr("Longitude");
        default:
            return {};
    }
}

}  // namespace kelvo
