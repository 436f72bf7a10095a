#pragma once

#include <QMainWindow>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeView;

namespace kelvo {

// The main window: the logger-type and port menus with Connect, the four tabs (logger
// information, flights, waypoint database with routes, declaration with its task), the
// menu of logger actions and a status line. It holds no logic; LoggerController wires
// and drives its controls.
class LoggerWindow : public QMainWindow {
    Q_OBJECT

  public:
    enum Tab { InfoTab = 0, FlightsTab = 1, DatabaseTab = 2, DeclarationTab = 3 };

    explicit LoggerWindow(QWidget* parent = nullptr);

    // The program's name, version and purpose.
    void showAboutBox();

    QComboBox* loggerTypesMenu;
    QComboBox* serialPortsMenu;
    QPushButton* connectButton;
    QTabWidget* tabbedView;

    QTableView* loggerInfoView;

    QLabel* flightsSummary;  // how many flights, read when
    QTableView* flightsList;
    QCheckBox* onlyDetectedTakeoffBox;
    QPushButton* reloadFlightsButton;
    QPushButton* downloadButton;
    QPushButton* downloadNewFlightsButton;
    QPushButton* clearFlightsButton;
    QPushButton* viewFlightButton;

    QTableView* waypointsView;
    QPushButton* addWaypointButton;
    QPushButton* deleteWaypointButton;
    QPushButton* importButton;  // trigger importAction and exportAction
    QPushButton* exportButton;
    QTreeView* routesView;
    QPushButton* addRouteButton;
    QPushButton* deleteRouteButton;
    QPushButton* reloadDatabaseButton;
    QLabel* databaseNote;  // shown for a recorder that keeps no waypoints or routes

    QLineEdit* pilot1Field;
    QLineEdit* pilot2Field;
    QLineEdit* pilot3Field;
    QLineEdit* pilot4Field;
    QLineEdit* gliderIDField;
    QLineEdit* gliderTypeField;
    QLineEdit* registration;
    QComboBox* competitionClassPopup;
    QComboBox* homePointField;
    QLineEdit* homeLatitude;
    QLineEdit* homeLongitude;
    QLineEdit* homeElevation;
    QTableView* taskView;
    QComboBox* useRouteForTaskMenu;
    QComboBox* addWaypointToTaskPopup;
    QPushButton* removeWaypointFromTaskButton;
    QPushButton* saveToLoggerButton;

    QLabel* statusLine;

    QMenu* loggerMenuItem;
    QAction* reloadFlightsAction;
    QAction* downloadAction;
    QAction* downloadNewFlightsAction;
    QAction* clearFlightsAction;
    QAction* reloadDatabaseAction;
    QAction* saveToLoggerAction;
    QAction* importAction;
    QAction* exportAction;
    QAction* preferencesAction;
    QAction* checkForUpdateAction;
    QAction* aboutAction;
    QAction* quitAction;

  Q_SIGNALS:
    // The window became the active one (main and key at once on this platform).
    void windowDidBecomeMain();
    void windowWillClose();

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* makeConnectionBar();
    QWidget* makeInfoTab();
    QWidget* makeFlightsTab();
    QWidget* makeDatabaseTab();
    QWidget* makeDeclarationTab();
    void makeMenus();
};

}  // namespace kelvo
