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
    // Inserts the waypoint of that description after the selected turnpoint but before the
    // finish, and selects it so that the next one follows it; without a selection, at the end.
    void addWaypointToTask(const QString& title);
    // The pilot chose the item of the "Add Waypoint" box (from its list or its completions,
    // or typed whole and confirmed with Return): it is added once and the box empties.
    void waypointChosenInBox(int index);
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

  protected:
    // Watches the "Add Waypoint" box: leaving it drops a search that was not chosen, which
    // the box would otherwise take as a choice when it names a waypoint whole.
    bool eventFilter(QObject* watched, QEvent* event) override;

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
