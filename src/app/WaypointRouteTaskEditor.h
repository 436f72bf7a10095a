#pragma once

#include <QObject>
#include <QString>

namespace kelvo {

class LoggerController;
class Turnpoint;

// The editing actions on the driver's waypoints, routes and task: add and delete waypoints
// and routes, build the task from a route or waypoint by waypoint, remove a turnpoint, and
// the two task menus that offer the routes and waypoints.
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

  private:
    void fillUseRoutesMenu();
    void fillAddWaypointsMenu();
    void applyTurnpointDefaults();
    int selectedTaskRow() const;
    // The home point menu follows the waypoints just added or deleted.
    void updateHomePointItems();

    LoggerController& m_controller;
};

}  // namespace kelvo
