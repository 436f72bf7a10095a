#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <memory>
#include <string>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

// The routes outline: the routes at the top level, their waypoints below them. Columns
// "route", "leg", "distance", "bearing", "latitude", "longitude".
class RoutesDataSource : public QAbstractItemModel {
    Q_OBJECT

  public:
    using QAbstractItemModel::QAbstractItemModel;

    static const QStringList& columnIdentifiers();
    // "Leg (km)", "Leg (SM)" or "Leg (NM)" by the distance unit; empty for other units.
    static QString legTitle(int distanceUnit);

    // Null lists show an empty outline. Retitles the "leg" column by the distance unit.
    void setRoutes(RouteList* routes, WaypointList* waypoints);
    // Appends an empty route named "Untitled Route", or "Untitled Route n" with the
    // smallest n that no route has; null without a list.
    std::shared_ptr<Route> addRoute();
    // Removes the route of a top-level index, or the waypoint of a lower one from its route;
    // false (and a beep) for no index.
    bool deleteItem(const QModelIndex& index);
    bool routeNameExists(const std::string& name) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QVariant routeData(std::size_t route, int column) const;
    QVariant waypointData(std::size_t route, std::size_t waypoint, int column) const;

    RouteList* m_routes = nullptr;
    WaypointList* m_waypoints = nullptr;
    QString m_legTitle = QStringLiteral("Leg (km)");
};

}  // namespace kelvo
