#include "app/TaskDataSource.h"

#include <cstdint>

#include "app/KelvoPrefsBasedFormatter.h"
#include "app/WaypointEditing.h"
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

// The rule of an observation-zone column; radii in metres, directions in degrees.
NumberEntry zoneEntryOf(int column) {
    switch (column) {
        case LineWidthColumn:
            return {QObject::tr("Line width"), {}, 0, 180, true};
        case CylinderRadiusColumn:
            return {QObject::tr("Cylinder radius"), QStringLiteral("m"), 0, 100000, true};
        case SectorRadiusColumn:
            return {QObject::tr("Sector radius"), QStringLiteral("m"), 0, 100000, true};
        default:
            return {QObject::tr("Sector direction"), QStringLiteral("\u00B0"), 0, 360, true};
    }
}

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
}

void TaskDataSource::setLimits(const EditorLimits& limits) {
    beginResetModel();
    m_limits = limits;
    endResetModel();
}

QString TaskDataSource::notKeptReason(int column) const {
    if (!m_limits.declaration) return {};
    const DeclarationLimits::ZoneFields& kept = m_limits.declaration->zones;
    const std::pair<bool, QString> zones[] = {{kept.lineWidth, tr("line width")},
                                              {kept.cylinderRadius, tr("cylinder radius")},
                                              {kept.sectorRadius, tr("sector radius")},
                                              {kept.sectorDirection, tr("sector direction")}};
    if (column < LineWidthColumn || column > SectorDirectionColumn) return {};
    const auto& [isKept, name] = zones[column - LineWidthColumn];
    return isKept ? QString() : m_limits.notKept(name);
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
    if (role == Qt::ToolTipRole) return notKeptReason(index.column());
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
    const QString unit = KelvoPrefsBasedFormatter::distanceUnitName();
    if (section == LegColumn) return KelvoPrefsBasedFormatter::titleWithUnit(tr("Leg"), unit);
    if (section == DistanceColumn)
        return KelvoPrefsBasedFormatter::titleWithUnit(tr("Distance"), unit);
    static const QStringList titles = {
        tr(""),           tr("Name"),         tr("Latitude"),   tr("Longitude"),
        tr("Line width"), tr("Cylinder (m)"), tr("Sector (m)"), tr("Direction (\u00B0)"),
        tr("Leg"),        tr("Distance"),     tr("Bearing")};
    return titles.value(section);
}

Qt::ItemFlags TaskDataSource::flags(const QModelIndex& index) const {
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    const bool editable = index.isValid() && index.column() >= NameColumn &&
                          index.column() <= SectorDirectionColumn &&
                          notKeptReason(index.column()).isEmpty();
    return editable ? base | Qt::ItemIsEditable : base;
}

bool TaskDataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    if (!entryProblem(index, value.toString()).isEmpty()) return false;
    Turnpoint& turnpoint = *m_task->turnpoint(static_cast<std::size_t>(index.row()));
    if (!edit(turnpoint, index.column(), value.toString()).isEmpty()) return false;
    // A zone change switches the zone's kind, a move changes the legs after it.
    Q_EMIT dataChanged(this->index(0, 0), this->index(rowCount() - 1, columnCount() - 1));
    return true;
}

QString TaskDataSource::entryProblem(const QModelIndex& index, const QString& text) const {
    if (!(flags(index) & Qt::ItemIsEditable)) return {};
    if (index.column() == NameColumn && m_limits.declaration) {
        return m_limits.nameProblem(text, int(m_limits.declaration->pointNameLength));
    }
    Turnpoint scratch = *m_task->turnpoint(static_cast<std::size_t>(index.row()));
    return edit(scratch, index.column(), text);
}

QString TaskDataSource::edit(Turnpoint& turnpoint, int column, const QString& text) {
    switch (column) {
        case NameColumn:
            turnpoint.setName(text.toStdString());
            return {};
        case LatitudeColumn:
            return editWaypointField(turnpoint, WaypointField::latitude, text);
        case LongitudeColumn:
            return editWaypointField(turnpoint, WaypointField::longitude, text);
        default:
            break;
    }
    double value = 0.0;
    QString problem = readNumberEntry(text, zoneEntryOf(column), value);
    if (!problem.isEmpty()) return problem;
    const auto number = static_cast<std::int32_t>(value);
    if (column == LineWidthColumn)
        turnpoint.setLineWidth(number);
    else if (column == CylinderRadiusColumn)
        turnpoint.setCylinderRadius(number);
    else if (column == SectorRadiusColumn)
        turnpoint.setSectorRadius(number);
    else
        turnpoint.setSectorDirection(number);
    return {};
}

}  // namespace kelvo
