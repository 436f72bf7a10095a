#include "app/TaskDataSource.h"

#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/RoutesDataSource.h"
#include "geo/Task.h"

namespace kelvo {

namespace {

enum Column {
    TitleColumn,
    NameColumn,
    LatitudeColumn,
    LongitudeColumn,
    LineWidthColumn,
    CylinderRadiusColumn,
    SectorRadiusColumn,
    SectorDirectionColumn,
    LegColumn,
    DistanceColumn,
    BearingColumn
};

}  // namespace

const QStringList& TaskDataSource::columnIdentifiers() {
    static const QStringList columns = {
        "title",     "name",           "latitude",     "longitude",
        "linewidth", "cylinderradius", "sectorradius", "sectordirection",
        "leg",       "distance",       "bearing"};
    return columns;
}

void TaskDataSource::setData(std::shared_ptr<Task> task) {
    beginResetModel();
    m_task = std::move(task);
    endResetModel();
    const QString title = RoutesDataSource::legTitle(KelvoPrefs::distanceUnit());
    if (!title.isEmpty() && title != m_legTitle) {
        m_legTitle = title;
        Q_EMIT headerDataChanged(Qt::Horizontal, LegColumn, LegColumn);
    }
}

int TaskDataSource::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_task ? 0 : static_cast<int>(m_task->numOfTurnpoints());
}

int TaskDataSource::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columnIdentifiers().size());
}

QString TaskDataSource::title(int row) const {
    if (row == 0) return QStringLiteral("Start");
    if (row == rowCount() - 1) return QStringLiteral("Finish");
    return QStringLiteral("TP %1").arg(row);
}

QVariant TaskDataSource::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !checkIndex(index)) return {};
    const auto turnpoint = m_task->turnpoint(static_cast<std::size_t>(index.row()));
    if (!turnpoint) return QStringLiteral("-");
    switch (index.column()) {
        case TitleColumn:
            return title(index.row());
        case NameColumn:
            return QString::fromStdString(turnpoint->description());
        case LatitudeColumn:
            return KelvoPrefsBasedFormatter::getCoordinateDescription(turnpoint->latitude());
        case LongitudeColumn:
            return KelvoPrefsBasedFormatter::getCoordinateDescription(turnpoint->longitude());
        case LineWidthColumn:
            return QString::number(turnpoint->getLineWidth());
        case CylinderRadiusColumn:
            return QString::number(turnpoint->getCylinderRadius());
        case SectorRadiusColumn:
            return QString::number(turnpoint->getSectorRadius());
        case SectorDirectionColumn:
            return QString::number(turnpoint->getSectorDirection());
        case LegColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(
                turnpoint->distanceFromPreviousWaypoint());
        case DistanceColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(turnpoint->distanceInRoute());
        case BearingColumn:
            return KelvoPrefsBasedFormatter::getBearingDescription(
                turnpoint->bearingFromPreviousWaypoint());
        default:
            return QStringLiteral("-");
    }
}

QVariant TaskDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == LegColumn) return m_legTitle;
    static const QStringList titles = {tr(""),           tr("Name"),       tr("Latitude"),
                                       tr("Longitude"),  tr("Line width"), tr("Cylinder (m)"),
                                       tr("Sector (m)"), tr("Direction"),  tr("Leg"),
                                       tr("Distance"),   tr("Bearing")};
    return titles.value(section);
}

}  // namespace kelvo
