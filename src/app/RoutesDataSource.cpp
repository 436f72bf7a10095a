#include "app/RoutesDataSource.h"

#include <QMimeData>
#include <algorithm>

#include "app/KelvoPrefs.h"
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

}  // namespace

const QStringList& RoutesDataSource::columnIdentifiers() {
    static const QStringList columns = {"route",   "leg",      "distance",
                                        "bearing", "latitude", "longitude"};
    return columns;
}

QString RoutesDataSource::legTitle(int distanceUnit) {
    switch (distanceUnit) {
        case 0:
            return QStringLiteral("Leg (km)");
        case 1:
            return QStringLiteral("Leg (SM)");
        case 2:
            return QStringLiteral("Leg (NM)");
        default:
            return {};
    }
}

void RoutesDataSource::setRoutes(RouteList* routes, WaypointList* waypoints) {
    beginResetModel();
    m_routes = routes;
    m_waypoints = waypoints;
    endResetModel();
    const QString title = legTitle(KelvoPrefs::distanceUnit());
    if (!title.isEmpty() && title != m_legTitle) {
        m_legTitle = title;
        Q_EMIT headerDataChanged(Qt::Horizontal, LegColumn, LegColumn);
    }
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
    beginResetModel();
    if (index.internalId() == kRouteRow) {
        m_routes->erase(m_routes->begin() + index.row());
    } else {
        Route& route = *(*m_routes)[index.internalId() - 1];
        route.deleteWaypoint(route.waypoints()[static_cast<std::size_t>(index.row())]);
    }
    endResetModel();
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
            return QString::fromStdString(stringf("%6.1f", shown.getDistance()));
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
            return KelvoPrefsBasedFormatter::getCoordinateDescription(shown.latitude());
        default:
            return KelvoPrefsBasedFormatter::getCoordinateDescription(shown.longitude());
    }
}

QVariant RoutesDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == LegColumn) return m_legTitle;
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
    const bool name = index.column() == RouteColumn;
    const bool coordinate = index.internalId() != kRouteRow &&
                            (index.column() == LatitudeColumn || index.column() == LongitudeColumn);
    return name || coordinate ? flags | Qt::ItemIsEditable : flags;
}

bool RoutesDataSource::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const QString text = value.toString();
    Waypoint* waypoint = waypointOf(index);
    bool taken = true;
    if (index.column() == RouteColumn && !waypoint)
        routeOf(index)->setName(text.toStdString());
    else if (index.column() == RouteColumn)
        waypoint->setName(text.toStdString());
    else if (index.column() == LatitudeColumn)
        taken = editLatitude(*waypoint, text);
    else
        taken = editLongitude(*waypoint, text);
    if (taken) routeDidChange(waypoint ? index.parent().row() : index.row());
    return taken;
}

QStringList RoutesDataSource::mimeTypes() const {
    return {WaypointsDataSource::dragType()};
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
    const std::shared_ptr<Waypoint> dragged = draggedWaypoint(data);
    if (!dragged || !m_routes) return false;
    // A copy, so that the route never shares a waypoint with the database.
    std::shared_ptr<Waypoint> copy = dragged->copy();
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

}  // namespace kelvo
