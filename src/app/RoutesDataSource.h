#pragma once

#include <QAbstractItemModel>
#include <QStringList>
#include <memory>
#include <string>

#include "LoggerAccess/LoggerData.h"
#include "app/CheckedEntryDelegate.h"
#include "app/EditorLimits.h"

class QMimeData;

namespace kelvo {

// The routes outline: the routes at the top level, their waypoints below them. Columns
// "route", "leg", "distance", "bearing", "latitude", "longitude"; legs and distances (the
// routes' totals too) in the unit of the settings, named in the titles. Names (those the
// recorder keeps) and a waypoint's coordinates are editable; coordinates that cannot be read
// and names longer than the recorder keeps are refused with the reason (entryProblem). Waypoints dragged from the waypoint table ("WaypointDragType") are
// dropped as copies: into a route at the drop position, onto a waypoint (which takes the
// dropped name and place), or beside the routes into a new route. A route's waypoint can
// be dragged ("RouteWaypointDragType") to another place in its route or in another route.
class RoutesDataSource : public QAbstractItemModel, public EntryChecking {
    Q_OBJECT

  public:
    using QAbstractItemModel::QAbstractItemModel;

    static const QStringList& columnIdentifiers();
    static QString routeWaypointDragType() { return QStringLiteral("RouteWaypointDragType"); }

    // Null lists show an empty outline.
    void setRoutes(RouteList* routes, WaypointList* waypoints);
    // Names longer than the recorder keeps are refused; route names it does not keep are
    // not editable and say so.
    void setLimits(const EditorLimits& limits) { m_limits = limits; }
    // Appends an empty route named "Untitled Route", or "Untitled Route n" with the
    // smallest n that no route has; null without a list.
    std::shared_ptr<Route> addRoute();
    // Removes the route of a top-level index, or the waypoint of a lower one from its route;
    // false (and a beep) for no index.
    bool deleteItem(const QModelIndex& index);
    bool routeNameExists(const std::string& name) const;
    // The first waypoint of the waypoint list with exactly this name; null for none.
    std::shared_ptr<Waypoint> getWaypointByName(const std::string& name) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QString entryProblem(const QModelIndex& index, const QString& text) const override;

    QStringList mimeTypes() const override;
    // The route and row of a single waypoint row; null for anything else.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override {
        return Qt::CopyAction | Qt::MoveAction;
    }
    // Moves a dragged route waypoint before the drop row (or the waypoint dropped on), or
    // drops a copy of the waypoint list's entry at the dragged index; false when the data
    // names neither or the drop has no place.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

  private:
    QVariant routeData(std::size_t route, int column) const;
    QVariant waypointData(std::size_t route, std::size_t waypoint, int column) const;
    Route* routeOf(const QModelIndex& index) const;
    Waypoint* waypointOf(const QModelIndex& index) const;
    // The dragged waypoint of the list; null when the data names none.
    std::shared_ptr<Waypoint> draggedWaypoint(const QMimeData* data) const;
    bool dropCopy(std::shared_ptr<Waypoint> copy, int row, const QModelIndex& parent);
    bool moveWaypoint(const QModelIndex& from, int row, const QModelIndex& parent);
    // Legs and distances of the whole route change with any of its waypoints.
    void routeDidChange(int routeRow);

    RouteList* m_routes = nullptr;
    EditorLimits m_limits;
    WaypointList* m_waypoints = nullptr;
};

}  // namespace kelvo
