#include "app/RoutesDataSource.h"

#include <QMimeData>
#include <algorithm>

#include "app/KelvoPrefsBasedFormatter.h"
#include "app/WaypointEditing.h"
#include "app/WaypointsDataSource.h"
#include "base/Beep.h"
#include "base/Format.h"
#include "geo/Route.h"

namespace kelvo {

namespace {

// A top-level (route) index carries 0, a waypoint index the number of its route plus 1.
constexpr quintptr kRouteRow = 0;

enum Column {
    RouteColumn,
    LegColumn,
    DistanceColumn,
    BearingColumn,
    LatitudeColumn,
    LongitudeColumn
};

WaypointField coordinateFieldOf(int column) {
    return column == LatitudeColumn ? WaypointField::latitude : WaypointField::longitude;
}

}  // namespace

const QStringList& RoutesDataSource::columnIdentifiers() {
    static const QStringList columns = {"route",   "leg",      "distance",
                                        "bearing", "latitude", "longitude"};
    return columns;
}

void RoutesDataSource::setRoutes(RouteList* routes, WaypointList* waypoints) {
    beginResetModel();
    m_routes = routes;
    m_waypoints = waypoints;
    endResetModel();
}

bool RoutesDataSource::routeNameExists(const std::string& name) const {
    if (!m_routes) return false;
    return std::any_of(m_routes->begin(), m_routes->end(),
                       [&name](const auto& route) { return route->name() == name; });
}

std::shared_ptr<Route> RoutesDataSource::addRoute() {
    if (!m_routes) return nullptr;
    std::string name = "Untitled Route";
    for (int n = 1; routeNameExists(name); ++n) name = stringf("Untitled Route %d", n);
    auto route = std::make_shared<Route>();
    route->setName(name);
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_routes->push_back(route);
    endInsertRows();
    return route;
}

bool RoutesDataSource::deleteItem(const QModelIndex& index) {
    if (!index.isValid() || !m_routes) {
        beep();
        return false;
    }
    if (index.internalId() == kRouteRow) {
        // The indexes of the later routes' waypoints name their route by its row.
        beginResetModel();
        m_routes->erase(m_routes->begin() + index.row());
        endResetModel();
        return true;
    }
    const QModelIndex routeIndex = index.parent();
    Route& route = *routeOf(index);
    WaypointList waypoints = route.waypoints();
    beginRemoveRows(routeIndex, index.row(), index.row());
    waypoints.erase(waypoints.begin() + index.row());
    route.setWaypoints(std::move(waypoints));
    endRemoveRows();
    route.getDistance();
    routeDidChange(routeIndex.row());
    return true;
}

QModelIndex RoutesDataSource::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    if (!parent.isValid()) return createIndex(row, column, kRouteRow);
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex RoutesDataSource::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kRouteRow) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kRouteRow);
}

int RoutesDataSource::rowCount(const QModelIndex& parent) const {
    if (!m_routes) return 0;
    if (!parent.isValid()) return static_cast<int>(m_routes->size());
    if (parent.internalId() != kRouteRow || parent.column() != 0) return 0;
    const auto route = static_cast<std::size_t>(parent.row());
    return route < m_routes->size() ? static_cast<int>((*m_routes)[route]->numberOfChildrenOfItem())
                                    : 0;
}

int RoutesDataSource::columnCount(const QModelIndex&) const {
    return static_cast<int>(columnIdentifiers().size());
}

QVariant RoutesDataSource::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole && index.internalId() == kRouteRow &&
        index.column() == RouteColumn && !m_limits.keepsRouteNames)
        return m_limits.notKept(tr("route names"));
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    if (index.internalId() == kRouteRow)
        return routeData(static_cast<std::size_t>(index.row()), index.column());
    return waypointData(static_cast<std::size_t>(index.internalId() - 1),
                        static_cast<std::size_t>(index.row()), index.column());
}

QVariant RoutesDataSource::routeData(std::size_t route, int column) const {
    Route& shown = *(*m_routes)[route];
    switch (column) {
        case RouteColumn:
            return QString::fromStdString(shown.name());
        case DistanceColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(shown.getDistance());
        default:
            return QStringLiteral(" ");
    }
}

QVariant RoutesDataSource::waypointData(std::size_t route, std::size_t waypoint, int column) const {
    const Waypoint& shown = *(*m_routes)[route]->waypoints()[waypoint];
    switch (column) {
        case RouteColumn:
            return QString::fromStdString(shown.description());
        case LegColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(
                shown.distanceFromPreviousWaypoint());
        case DistanceColumn:
            return KelvoPrefsBasedFormatter::getDistanceDescription(shown.distanceInRoute());
        case BearingColumn:
            return KelvoPrefsBasedFormatter::getBearingDescription(
                shown.bearingFromPreviousWaypoint());
        case LatitudeColumn:
            return waypointFieldText(shown, WaypointField::latitude);
        default:
            return waypointFieldText(shown, WaypointField::longitude);
    }
}

QVariant RoutesDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const QString unit = KelvoPrefsBasedFormatter::distanceUnitName();
    if (section == LegColumn) return KelvoPrefsBasedFormatter::titleWithUnit(tr("Leg"), unit);
    if (section == DistanceColumn)
        return KelvoPrefsBasedFormatter::titleWithUnit(tr("Distance"), unit);
    static const QStringList titles = {tr("Route"),   tr("Leg"),      tr("Distance"),
                                       tr("Bearing"), tr("Latitude"), tr("Longitude")};
    return titles.value(section);
}

std::shared_ptr<Waypoint> RoutesDataSource::getWaypointByName(const std::string& name) const {
    if (!m_waypoints) return nullptr;
    const auto found =
        std::find_if(m_waypoints->begin(), m_waypoints->end(),
                     [&name](const auto& waypoint) { return waypoint->name() == name; });
    return found == m_waypoints->end() ? nullptr : *found;
}

Route* RoutesDataSource::routeOf(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index)) return nullptr;
    const std::size_t route =
        index.internalId() == kRouteRow ? std::size_t(index.row()) : index.internalId() - 1;
    return (*m_routes)[route].get();
}

Waypoint* RoutesDataSource::waypointOf(const QModelIndex& index) const {
    if (!index.isValid() || !checkIndex(index) || index.internalId() == kRouteRow) return nullptr;
    return routeOf(index)->waypoints()[std::size_t(index.row())].get();
}

void RoutesDataSource::routeDidChange(int routeRow) {
    const QModelIndex route = index(routeRow, 0);
    Q_EMIT dataChanged(route, route.siblingAtColumn(columnCount() - 1));
    const int waypoints = rowCount(route);
    if (waypoints > 0)
        Q_EMIT dataChanged(index(0, 0, route), index(waypoints - 1, columnCount() - 1, route));
}

Qt::ItemFlags RoutesDataSource::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index) | Qt::ItemIsDropEnabled;
    if (!index.isValid()) return flags;
    const bool waypoint = index.internalId() != kRouteRow;
    if (waypoint) flags |= Qt::ItemIsDragEnabled;
    const bool name = index.column() == RouteColumn && (waypoint || m_limits.keepsRouteNames);
    const bool coordinate =
        waypoint && (index.column() == LatitudeColumn || index.column() == LongitudeColumn);
    return name || coordinate ? flags | Qt::ItemIsEditable : flags;
}

bool RoutesDataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const QString text = value.toString();
    if (!entryProblem(index, text).isEmpty()) return false;
    Waypoint* waypoint = waypointOf(index);
    if (index.column() == RouteColumn && !waypoint)
        routeOf(index)->setName(text.toStdString());
    else if (index.column() == RouteColumn)
        waypoint->setName(text.toStdString());
    else if (!editWaypointField(*waypoint, coordinateFieldOf(index.column()), text).isEmpty())
        return false;
    routeDidChange(waypoint ? index.parent().row() : index.row());
    return true;
}

QString RoutesDataSource::entryProblem(const QModelIndex& index, const QString& text) const {
    if (!(flags(index) & Qt::ItemIsEditable)) return {};
    if (index.column() == RouteColumn) {
        return m_limits.nameProblem(
            text, waypointOf(index) ? m_limits.waypointNameLength : m_limits.routeNameLength);
    }
    return waypointFieldProblem(coordinateFieldOf(index.column()), text);
}

QStringList RoutesDataSource::mimeTypes() const {
    return {WaypointsDataSource::dragType(), routeWaypointDragType()};
}

QMimeData* RoutesDataSource::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty() || !waypointOf(indexes.front())) return nullptr;
    const QModelIndex first = indexes.front().siblingAtColumn(0);
    for (const QModelIndex& index : indexes)
        if (index.siblingAtColumn(0) != first) return nullptr;
    auto* data = new QMimeData;
    data->setData(routeWaypointDragType(),
                  QByteArray::number(first.parent().row()) + ',' + QByteArray::number(first.row()));
    return data;
}

std::shared_ptr<Waypoint> RoutesDataSource::draggedWaypoint(const QMimeData* data) const {
    if (!data || !m_waypoints || !data->hasFormat(WaypointsDataSource::dragType())) return nullptr;
    bool isNumber = false;
    const int row = data->data(WaypointsDataSource::dragType()).trimmed().toInt(&isNumber);
    if (!isNumber || row < 0 || std::size_t(row) >= m_waypoints->size()) return nullptr;
    return (*m_waypoints)[std::size_t(row)];
}

bool RoutesDataSource::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) {
    if (action == Qt::IgnoreAction) return true;
    if (!data || !m_routes) return false;
    if (data->hasFormat(routeWaypointDragType())) {
        const QList<QByteArray> place = data->data(routeWaypointDragType()).split(',');
        const QModelIndex route = place.size() == 2 ? index(place[0].toInt(), 0) : QModelIndex();
        const QModelIndex dragged = route.isValid() ? index(place[1].toInt(), 0, route) : route;
        return dragged.isValid() && moveWaypoint(dragged, row, parent);
    }
    const std::shared_ptr<Waypoint> dragged = draggedWaypoint(data);
    // A copy, so that the route never shares a waypoint with the database.
    return dragged && dropCopy(dragged->copy(), row, parent);
}

bool RoutesDataSource::dropCopy(std::shared_ptr<Waypoint> copy, int row,
                                const QModelIndex& parent) {
    if (Waypoint* target = waypointOf(parent)) {
        target->droppedWaypoint(copy, -1);
        routeDidChange(parent.parent().row());
        return true;
    }
    if (Route* route = routeOf(parent)) {
        const int count = rowCount(parent);
        const int position = row < 0 || row > count ? count : row;
        beginInsertRows(parent, position, position);
        route->droppedWaypoint(std::move(copy), position == count ? -1 : position);
        endInsertRows();
        routeDidChange(parent.row());
        return true;
    }
    addRoute();
    const QModelIndex added = index(rowCount() - 1, 0);
    beginInsertRows(added, 0, 0);
    m_routes->back()->droppedWaypoint(std::move(copy), -1);
    endInsertRows();
    routeDidChange(added.row());
    return true;
}

bool RoutesDataSource::moveWaypoint(const QModelIndex& from, int row, const QModelIndex& parent) {
    // Dropped on a waypoint, the moved one takes its place; between rows, the row's.
    const bool ontoWaypoint = waypointOf(parent) != nullptr;
    const QModelIndex target = ontoWaypoint ? parent.parent() : parent;
    if (!routeOf(target)) return false;
    const int count = rowCount(target);
    const int position = ontoWaypoint ? parent.row() : (row < 0 || row > count ? count : row);
    const QModelIndex source = from.parent();
    if (!beginMoveRows(source, from.row(), from.row(), target, position)) return false;
    Route& sourceRoute = *routeOf(source);
    Route& targetRoute = *routeOf(target);
    WaypointList waypoints = sourceRoute.waypoints();
    std::shared_ptr<Waypoint> moved = waypoints[std::size_t(from.row())];
    waypoints.erase(waypoints.begin() + from.row());
    sourceRoute.setWaypoints(std::move(waypoints));
    const bool sameRoute = &sourceRoute == &targetRoute;
    targetRoute.droppedWaypoint(std::move(moved),
                                sameRoute && position > from.row() ? position - 1 : position);
    sourceRoute.getDistance();
    endMoveRows();
    routeDidChange(source.row());
    if (!sameRoute) routeDidChange(target.row());
    return true;
}

}  // namespace kelvo
