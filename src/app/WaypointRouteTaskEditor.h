#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace kelvo {

class LoggerController;
class Turnpoint;

// The editing actions on the driver's waypoints, routes and task: add and delete waypoints
// (asking first when routes use them) and routes, build the task from a route or waypoint
// by waypoint, remove a turnpoint, and the two task menus that offer the routes and the
// waypoints (sorted by name, searchable).
class WaypointRouteTaskEditor : public QObject {
    Q_OBJECT

  public:
    explicit WaypointRouteTaskEditor(LoggerController& controller);

    // The task becomes the route of that name, with the preferred turnpoint shapes.
    void useRoute(const QString& title);
    // Inserts the waypoint of that description before the selected turnpoint (or at the end).
    void addWaypointToTask(const QString& title);
    void removeWaypointFromTask();
    void addRoute();
    void deleteRoute();
    void addWaypoint();
    void deleteWaypoint();
    // The "Use Route" and "Add Waypoint" menus from the driver's routes and waypoints.
    void fillTaskMenus();
    // The names of the routes that use a waypoint of the rows (routes keep copies of the
    // waypoints they were built from, so a route uses a waypoint that bears its name).
    QStringList routesUsing(const std::vector<int>& rows) const;

  private:
    void fillUseRoutesMenu();
    void fillAddWaypointsMenu();
    void applyTurnpointDefaults();
    int selectedTaskRow() const;
    // The home point menu follows the waypoints just added or deleted.
    void updateHomePointItems();
    // Asks before waypoints that routes use are deleted; true when none is used or the
    // pilot agreed.
    bool confirmDeletingUsed(const std::vector<int>& rows);

    LoggerController& m_controller;
};

}  // namespace kelvo
