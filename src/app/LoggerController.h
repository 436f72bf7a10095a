#pragma once

#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>

class QAction;
class QPushButton;
class QWidget;

namespace kelvo {

class ConnectionController;
class DatabaseTransfer;
class DeclarationForm;
class DeviceOperationRunner;
class FlightDownloads;
class FlightList;
class HotPlugDownload;
class FlightsDataSource;
class ImportExportFlow;
class Logger;
class LoggerInfoDataSource;
class LoggerWindow;
class PortWatcher;
class PreferencesController;
class ProgressDialog;
class RoutesDataSource;
class TaskDataSource;
class WarningClearLoggerController;
class WaypointRouteTaskEditor;
class WaypointsComboDataSource;
class WaypointsDataSource;

// The controller of the main window: owns the parts that act for each panel (connection,
// flight list, downloads, database transfer, editing, declaration form, import and export)
// and the runner of their device operations, hands the driver's data to the views, and
// wires the window's controls to the parts. Every decision is an ordinary method, so tests
// drive it without clicking.
class LoggerController : public QObject {
    Q_OBJECT

  public:
    explicit LoggerController(LoggerWindow& window);
    ~LoggerController() override;

    // Window and view notifications.
    void windowDidBecomeMain();
    void windowDidBecomeKey();
    void windowWillClose();
    bool tabViewShouldSelect(int tab);
    void tabViewDidSelect(int tab);
    void showPrefsWindow();
    void preferencesPanelDidEnd();
    void checkForUpdate();

    // Shared by the parts, on the GUI thread.
    void attachLoggerDataToDataSources();
    // Empties the views and the driver's data and shows the empty declaration.
    void clearLoggerData();
    void setStatus(const QString& text);
    // Shows the logger information tab without starting what selecting it would.
    void showInfoTab();
    // A file panel as a sheet on the window, with the accessory below its controls.
    QFileDialog* makeFilePanel(const QString& title, QWidget* accessory = nullptr);

    // The connected logger's driver; null without one.
    Logger* logger() const;
    bool isConnected() const;
    // The native file extension of the driver's class.
    const std::string& nativeExtension() const;

    // The parts.
    DeviceOperationRunner& runner() const { return *m_runner; }
    ConnectionController& connection() const { return *m_connection; }
    DeclarationForm& declarationForm() const { return *m_declarationForm; }
    FlightList& flightList() const { return *m_flightList; }
    FlightDownloads& flightDownloads() const { return *m_flightDownloads; }
    HotPlugDownload& hotPlugDownload() const { return *m_hotPlugDownload; }
    DatabaseTransfer& databaseTransfer() const { return *m_databaseTransfer; }
    WaypointRouteTaskEditor& waypointRouteTaskEditor() const { return *m_editor; }
    ImportExportFlow& importExport() const { return *m_importExport; }

    // The views.
    LoggerWindow& window() const { return m_window; }
    ProgressDialog* progressPanel() const { return m_progressPanel; }
    PreferencesController* preferencesPanel() const { return m_preferencesPanel; }
    WarningClearLoggerController* warningClearLoggerController() const {
        return m_warningClearLoggerController;
    }
    // The file panel shown as a sheet now (download, import or export); null for none.
    QFileDialog* filePanel() const { return m_filePanel; }
    LoggerInfoDataSource* loggerInfoDataSource() const { return m_loggerInfoDataSource; }
    FlightsDataSource* flightsDataSource() const { return m_flightsDataSource; }
    WaypointsDataSource* waypointsDataSource() const { return m_waypointsDataSource; }
    RoutesDataSource* routesDataSource() const { return m_routesDataSource; }
    TaskDataSource* taskDataSource() const { return m_taskDataSource; }
    PortWatcher* portWatcher() const { return m_portWatcher; }
    WaypointsComboDataSource* waypointsComboDataSource() const {
        return m_waypointsComboDataSource;
    }

  private:
    void setUpViews();
    void wireWindow();
    void wireFlightControls();
    void wireDatabaseControls();
    // Connects a control's signal to an action, in this controller's context.
    template <class Sender, class Signal, class Action>
    void on(Sender* sender, Signal signal, Action action) {
        QObject::connect(sender, signal, this, std::move(action));
    }
    // A button and its menu item do the same.
    template <class Action>
    void onButtonAndItem(QPushButton* button, QAction* item, Action action);
    // Hands the driver's collections to the table models; null empties them.
    void setDataSources(Logger* logger);

    LoggerWindow& m_window;
    ProgressDialog* m_progressPanel;
    PreferencesController* m_preferencesPanel;
    WarningClearLoggerController* m_warningClearLoggerController;
    QPointer<QFileDialog> m_filePanel;
    LoggerInfoDataSource* m_loggerInfoDataSource;
    FlightsDataSource* m_flightsDataSource;
    WaypointsDataSource* m_waypointsDataSource;
    RoutesDataSource* m_routesDataSource;
    TaskDataSource* m_taskDataSource;
    WaypointsComboDataSource* m_waypointsComboDataSource;
    PortWatcher* m_portWatcher;
    int m_shownTab = 0;

    std::unique_ptr<ConnectionController> m_connection;
    std::unique_ptr<DeclarationForm> m_declarationForm;
    std::unique_ptr<FlightList> m_flightList;
    std::unique_ptr<FlightDownloads> m_flightDownloads;
    std::unique_ptr<HotPlugDownload> m_hotPlugDownload;
    std::unique_ptr<DatabaseTransfer> m_databaseTransfer;
    std::unique_ptr<WaypointRouteTaskEditor> m_editor;
    std::unique_ptr<ImportExportFlow> m_importExport;
    // Last, so that it goes first: a worker that still runs uses the parts.
    std::unique_ptr<DeviceOperationRunner> m_runner;
};

}  // namespace kelvo
