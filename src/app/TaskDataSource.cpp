#include "app/TaskDataSource.h"

#include <algorithm>
#include <cstdint>

#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/RoutesDataSource.h"
#include "app/WaypointEditing.h"
#include "base/Text.h"
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
    if ((role != Qt::DisplayRole && role != Qt::EditRole) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const auto turnpoint = m_task->turnpoint(static_cast<std::size_t>(index.row()));
    if (!turnpoint) return QStringLiteral("-");
    switch (index.column()) {
        case TitleColumn:
            return title(index.row());
        case NameColumn:
            // An edit changes the name, so the editor starts from it.
            return QString::fromStdString(role == Qt::EditRole ? turnpoint->name()
                                                               : turnpoint->description());
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

Qt::ItemFlags TaskDataSource::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    const bool editable =
        index.isValid() && index.column() >= NameColumn && index.column() <= SectorDirectionColumn;
    return editable ? base | Qt::ItemIsEditable : base;
}

bool TaskDataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    Turnpoint& turnpoint = *m_task->turnpoint(static_cast<std::size_t>(index.row()));
    const QString text = value.toString();
    const auto number = static_cast<std::int32_t>(
        std::clamp<long long>(leadingInteger(text.toStdString()), INT32_MIN, INT32_MAX));
    bool taken = true;
    switch (index.column()) {
        case NameColumn:
            turnpoint.setName(text.toStdString());
            break;
        case LatitudeColumn:
            taken = editLatitude(turnpoint, text);
            break;
        case LongitudeColumn:
            taken = editLongitude(turnpoint, text);
            break;
        case LineWidthColumn:
            turnpoint.setLineWidth(number);
            break;
        case CylinderRadiusColumn:
            turnpoint.setCylinderRadius(number);
            break;
        case SectorRadiusColumn:
            turnpoint.setSectorRadius(number);
            break;
        default:
            turnpoint.setSectorDirection(number);
            break;
    }
    // A zone change switches the zone's kind, a move changes the legs after it.
    if (taken)
        Q_EMIT dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
    return taken;
}

}  // namespace kelvo
