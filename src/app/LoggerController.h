#pragma once

#include <QDateTime>
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerData.h"
#include "LoggerAccess/Outcome.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "base/TransferRate.h"

class QThread;

namespace kelvo {

class Logger;
class LoggerFactory;
class LoggerWindow;
class PortWatcher;
class PreferencesController;
class ProgressDialog;
class FlightsDataSource;
class LoggerInfoDataSource;
class RoutesDataSource;
class TaskDataSource;
class WaypointsComboDataSource;
class WaypointsDataSource;
class SaveIGCPanelController;
class WarningClearLoggerController;

// The controller of the main window. It owns the driver of the one connected logger, runs
// every device operation on a worker thread of its own behind the modal progress sheet,
// keeps the views attached to the driver's data and decides which controls are enabled.
// Every decision is an ordinary method, so tests drive it without clicking.
//
// Threads: a worker changes only the driver and its data; every change of a view or of the
// controller's state is carried out on the GUI thread, in order, while the worker waits.
// The tab views do not repaint while a worker runs.
class LoggerController : public QObject {
    Q_OBJECT

  public:
    // Display name to the path that the driver's connect() takes, for a connection type
    // (1 serial ports, 2 removable volumes); nothing for a type without ports.
    using PortSource = std::function<std::optional<PortDictionary>(int connectionType)>;
    // Registers drivers from outside the application, after the built-in ones.
    using PluginRegistration = std::function<void(LoggerFactory& factory)>;
    // Receives the IGC text of a flight and its file name.
    using FlightViewer = std::function<void(const QByteArray& igcText, const QString& name)>;

    static constexpr int kConnectAttempts = 5;
    static constexpr double kConnectRetryPause = 2.0;  // [s]

    explicit LoggerController(LoggerWindow& window);
    ~LoggerController() override;

    // Actions.
    void connect();
    void loadFlights();
    void loadDatabase();
    void clearFlights();
    void clearFlightsSheetDidEnd(int result);
    void saveToLogger();
    // Opens the save panel for one selected flight or the folder panel for several, each
    // with the format and security accessory.
    void downloadFile();
    // The panels' ends: only OK (1) starts the download into the file or folder.
    void savePanelDidEnd(int returnCode, const QString& file,
                         const SaveIGCPanelController& accessory);
    void openPanelDidEnd(int returnCode, const QString& folder,
                         const SaveIGCPanelController& accessory);
    void downloadFlights(const QString& filePath, bool secure, bool asIGC);
    // Downloads, as IGC into the flights folder, every listed flight that the folder does
    // not hold yet, behind one progress for the batch, and tells what came of it.
    void downloadNewFlights();
    // Marks the listed flights that the flights folder holds.
    void refreshLogbookColumn();
    // Waypoint files by the registered formats, chosen by the file's extension alone.
    void importFile();
    void importPanelDidEnd(int returnCode, const QString& file);
    void exportFile();
    void exportPanelDidEnd(int returnCode, const QString& file);
    void viewFlight();
    void loggerTypeChanged();
    void onlyDetectedTakeoff(bool on);
    void useRoute(const QString& title);
    void addWaypointToTask(const QString& title);
    void removeWaypointFromTask();
    void addRoute();
    void deleteRoute();
    void addWaypoint();
    void deleteWaypoint();
    void showPrefsWindow();
    void preferencesPanelDidEnd();
    void checkForUpdate();

    // Window and view notifications.
    void windowDidBecomeMain();
    void windowDidBecomeKey();
    void windowWillClose();
    void flightsSelectionDidChange();
    bool tabViewShouldSelect(int tab);
    void tabViewDidSelect(int tab);
    void homePointSelectionDidChange(int index);
    // A serial port or simulator link may have come or gone: the port menu is filled again
    // unless a logger is connected.
    void portsDidChange();

    // Internal operations (GUI thread).
    void loadGliderClassDescriptions();
    void loadLoggerTypes();
    void loadSerialPorts();
    void loadFileTypes();
    void attachLoggerDataToDataSources();
    void clearLoggerData();
    void showDeclaration();
    void fillUseRoutesMenu();
    void fillAddWaypointsMenu();
    void showProgressWindow();
    void removeProgressWindow();

    // The workers' bodies; each runs on its own thread (and may be called directly).
    void threadedConnect();
    void threadedLoadFlights();
    void threadedReLoadFlights();
    void threadedLoadDatabase();
    void threadedReLoadDatabase();
    void threadedClearFlights();
    void threadedDownloadFlights();
    void threadedDownloadNewFlights();
    void threadedSaveDatabase();
    void readFlights(bool reload);
    void readWaypoints(bool reload);
    void readDeclaration(bool reload);

    // Seams for tests and later panels.
    void setPortSource(PortSource source) { m_portSource = std::move(source); }
    void setFlightViewer(FlightViewer viewer) { m_flightViewer = std::move(viewer); }
    void setPluginRegistration(PluginRegistration registration) {
        m_pluginRegistration = std::move(registration);
    }

    // State.
    Logger* logger() const { return m_logger.get(); }
    bool isConnected() const;
    bool portsLoaded() const { return m_portsLoaded; }
    bool directoryLoaded() const { return m_directoryLoaded; }
    bool waypointsLoaded() const { return m_waypointsLoaded; }
    bool declarationLoaded() const { return m_declarationLoaded; }
    bool progressWindowVisible() const { return m_progressWindowVisible; }
    // The summary of the last "Download New Flights".
    const QString& newFlightsSummary() const { return m_newFlightsSummary; }
    bool isOperationRunning() const { return m_worker != nullptr; }
    const QStringList& loggerTypes() const { return m_loggerTypes; }
    const QStringList& fileTypes() const { return m_fileTypes; }
    const PortDictionary& loggerLocations() const { return m_loggerLocations; }

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

  Q_SIGNALS:
    // A worker has ended and every view update it asked for has been carried out.
    void operationFinished();

  private:
    void wireWindow();
    // Shows the progress sheet with the text and runs the body on a new worker thread.
    void startWorker(const QString& text, void (LoggerController::*body)());
    void workerDidFinish();
    // Runs the step on the GUI thread; a worker waits until it has been carried out.
    void onGui(const std::function<void()>& step);
    // The driver's progress, on the GUI thread: the fraction of the operation (of the whole
    // batch while several flights download) and the transfer's rate and time left.
    void reportProgress(const Progress& progress);
    // A file panel as a sheet on the window, with the accessory below its controls.
    QFileDialog* makeFilePanel(const QString& title, QWidget* accessory = nullptr);
    void downloadPanelDidEnd(int returnCode, const QString& target,
                             const SaveIGCPanelController& accessory, const char* logText);
    void setStatus(const QString& text);
    // The count of flights shown and when the directory was read.
    void showFlightsSummary();
    void reportFailedConnection(const std::string& path, const Outcome& outcome);
    // When the data goes beyond what the recorder keeps: asks whether to cut it to fit (and
    // does); false when the pilot said no.
    bool confirmCutToFit();
    void setConnectedControls(bool connected);
    void updateLoggerMenu();
    void setHomePointItems(const WaypointList* waypoints);
    void applyTurnpointDefaults();
    int selectedTaskRow() const;
    std::vector<int> selectedFlightRows() const;
    QString selectedLoggerName() const;
    QString selectedPortName() const;
    // The flight as IGC text, downloaded first when the driver holds nothing under the key.
    QByteArray igcTextOfFlight(int key, const FlightEntry& entry);

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

    std::unique_ptr<Logger> m_logger;
    std::string m_nativeExtension;  // of the driver's class
    QThread* m_worker = nullptr;
    TransferRate m_transferRate;
    PortSource m_portSource;
    FlightViewer m_flightViewer;
    PluginRegistration m_pluginRegistration;
    PortDictionary m_loggerLocations;
    QStringList m_loggerTypes;
    QStringList m_fileTypes;
    int m_shownTab = 0;
    QDateTime m_directoryReadAt;  // invalid until the flight directory was read

    bool m_portsLoaded = false;
    bool m_directoryLoaded = false;
    bool m_waypointsLoaded = false;
    bool m_declarationLoaded = false;
    bool m_progressWindowVisible = false;

    // The pending download and its outcome.
    QString m_filePath;
    bool m_mustDownloadFlights = false;
    bool m_downloadFlightsSecure = false;
    bool m_downloadFlightsAsIGC = false;
    std::vector<int> m_downloadRows;
    // The flight of the batch that downloads now, and the batch's size, so that the
    // driver's progress of one flight moves the batch's one bar.
    std::atomic<std::size_t> m_batchFlight{0};
    std::atomic<std::size_t> m_batchSize{1};
    QString m_newFlightsSummary;
};

}  // namespace kelvo
