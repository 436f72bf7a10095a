#include "app/LoggerController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QUrl>

#include "LoggerAccess/Logger.h"
#include "app/ConnectionController.h"
#include "app/DatabaseTransfer.h"
#include "app/DeclarationForm.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightDownloads.h"
#include "app/FlightList.h"
#include "app/FlightsDataSource.h"
#include "app/HotPlugDownload.h"
#include "app/ImportExportFlow.h"
#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/LoggerWindow.h"
#include "app/PortWatcher.h"
#include "app/PreferencesController.h"
#include "app/ProgressDialog.h"
#include "app/RoutesDataSource.h"
#include "app/TaskDataSource.h"
#include "app/WarningClearLoggerController.h"
#include "app/WaypointRouteTaskEditor.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"
#include "base/Beep.h"
#include "geo/Declaration.h"

namespace kelvo {

namespace {

const QString kUpdatePage = QStringLiteral("https://kelvo.org/kelvo/updates/1.1.2/");

}  // namespace

LoggerController::LoggerController(LoggerWindow& window)
    : QObject(&window),
      m_window(window),
      m_progressPanel(new ProgressDialog(&window)),
      m_preferencesPanel(new PreferencesController(&window)),
      m_warningClearLoggerController(new WarningClearLoggerController(&window)),
      m_loggerInfoDataSource(new LoggerInfoDataSource(this)),
      m_flightsDataSource(new FlightsDataSource(this)),
      m_waypointsDataSource(new WaypointsDataSource(this)),
      m_routesDataSource(new RoutesDataSource(this)),
      m_taskDataSource(new TaskDataSource(this)),
      m_waypointsComboDataSource(new WaypointsComboDataSource(this)),
      m_portWatcher(new PortWatcher(this)),
      m_connection(std::make_unique<ConnectionController>(*this)),
      m_declarationForm(std::make_unique<DeclarationForm>(*this)),
      m_flightList(std::make_unique<FlightList>(*this)),
      m_flightDownloads(std::make_unique<FlightDownloads>(*this)),
      m_hotPlugDownload(std::make_unique<HotPlugDownload>(*this)),
      m_databaseTransfer(std::make_unique<DatabaseTransfer>(*this)),
      m_editor(std::make_unique<WaypointRouteTaskEditor>(*this)),
      m_importExport(std::make_unique<ImportExportFlow>(*this)),
      m_runner(std::make_unique<DeviceOperationRunner>(*m_progressPanel, *window.tabbedView)) {
    setUpViews();
    wireWindow();

    m_declarationForm->loadGliderClassDescriptions();
    m_connection->setConnectedControls(false);
    m_window.connectButton->setEnabled(false);
    m_window.downloadButton->setEnabled(false);
    m_window.downloadNewFlightsButton->setEnabled(false);
    m_window.clearFlightsButton->setEnabled(false);
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
    m_editor->fillTaskMenus();
    m_declarationForm->showDeclaration();
}

LoggerController::~LoggerController() = default;

void LoggerController::setUpViews() {
    m_window.loggerInfoView->setModel(m_loggerInfoDataSource);
    m_window.flightsList->setModel(m_flightsDataSource);
    m_window.waypointsView->setModel(m_waypointsDataSource);
    m_window.routesView->setModel(m_routesDataSource);
    m_window.taskView->setModel(m_taskDataSource);
    m_window.homePointField->setModel(m_waypointsComboDataSource);
    // Each table fits its columns to what it shows whenever it is given new data.
    for (QTableView* table : {m_window.loggerInfoView, m_window.flightsList, m_window.waypointsView,
                              m_window.taskView}) {
        QObject::connect(table->model(), &QAbstractItemModel::modelReset, table,
                         &QTableView::resizeColumnsToContents);
    }
    // Newest flights on top; waypoints are dragged from their table into the routes, whose
    // points are reordered by dragging too (the window sets that mode).
    m_window.flightsList->setSortingEnabled(true);
    m_window.flightsList->sortByColumn(int(FlightsDataSource::columnIdentifiers().indexOf("date")),
                                       Qt::DescendingOrder);
    m_window.waypointsView->setDragDropMode(QAbstractItemView::DragOnly);
    m_window.routesView->setDropIndicatorShown(true);
    m_warningClearLoggerController->setWindowModality(Qt::WindowModal);
}

void LoggerController::wireWindow() {
    LoggerWindow& w = m_window;
    ConnectionController* connection = m_connection.get();
    on(&w, &LoggerWindow::windowDidBecomeMain, [this] {
        windowDidBecomeMain();
        windowDidBecomeKey();
    });
    on(&w, &LoggerWindow::windowWillClose, [this] { windowWillClose(); });
    on(w.connectButton, &QPushButton::clicked, [connection] { connection->connect(); });
    on(w.loggerTypesMenu, &QComboBox::activated, [connection] { connection->loggerTypeChanged(); });
    on(w.serialPortsMenu, &QComboBox::activated, [connection] { connection->serialPortChanged(); });
    on(w.tabbedView, &QTabWidget::currentChanged, [this](int tab) {
        if (tab == m_shownTab) return;
        if (!tabViewShouldSelect(tab)) {
            const QSignalBlocker blocker(m_window.tabbedView);
            m_window.tabbedView->setCurrentIndex(m_shownTab);
            return;
        }
        m_shownTab = tab;
        tabViewDidSelect(tab);
    });
    wireFlightControls();
    wireDatabaseControls();
    on(w.preferencesAction, &QAction::triggered, [this] { showPrefsWindow(); });
    on(w.checkForUpdateAction, &QAction::triggered, [this] { checkForUpdate(); });
    on(w.quitAction, &QAction::triggered, [this] { m_window.close(); });
    on(m_preferencesPanel, &QDialog::finished, [this] { preferencesPanelDidEnd(); });
    on(w.importAction, &QAction::triggered, [this] { m_importExport->importFile(); });
    HotPlugDownload* hotPlug = m_hotPlugDownload.get();
    on(m_portWatcher, &PortWatcher::portsMayHaveChanged, [connection, hotPlug] {
        connection->portsDidChange();
        hotPlug->portsDidChange();
    });
    on(w.exportAction, &QAction::triggered, [this] { m_importExport->exportFile(); });
    on(m_runner.get(), &DeviceOperationRunner::progressWindowChanged,
       [connection] { connection->updateLoggerMenu(); });
    on(m_runner.get(), &DeviceOperationRunner::operationFinished, [connection, hotPlug] {
        connection->operationDidFinish();
        hotPlug->operationDidFinish();
    });
}

template <class Action>
void LoggerController::onButtonAndItem(QPushButton* button, QAction* item, Action action) {
    on(button, &QPushButton::clicked, action);
    on(item, &QAction::triggered, action);
}

void LoggerController::wireFlightControls() {
    LoggerWindow& w = m_window;
    FlightList* list = m_flightList.get();
    FlightDownloads* downloads = m_flightDownloads.get();
    on(w.flightsList->selectionModel(), &QItemSelectionModel::selectionChanged,
       [list] { list->flightsSelectionDidChange(); });
    on(w.onlyDetectedTakeoffBox, &QCheckBox::toggled,
       [list](bool checked) { list->onlyDetectedTakeoff(checked); });
    onButtonAndItem(w.reloadFlightsButton, w.reloadFlightsAction, [list] { list->loadFlights(); });
    onButtonAndItem(w.downloadButton, w.downloadAction, [downloads] { downloads->downloadFile(); });
    onButtonAndItem(w.downloadNewFlightsButton, w.downloadNewFlightsAction,
                    [downloads] { downloads->downloadNewFlights(); });
    onButtonAndItem(w.clearFlightsButton, w.clearFlightsAction, [list] { list->clearFlights(); });
    on(w.viewFlightButton, &QPushButton::clicked, [downloads] { downloads->viewFlight(); });
    on(m_warningClearLoggerController, &QDialog::finished, [this, list] {
        list->clearFlightsSheetDidEnd(m_warningClearLoggerController->getReturnCode());
    });
}

void LoggerController::wireDatabaseControls() {
    LoggerWindow& w = m_window;
    DatabaseTransfer* transfer = m_databaseTransfer.get();
    WaypointRouteTaskEditor* editor = m_editor.get();
    onButtonAndItem(w.reloadDatabaseButton, w.reloadDatabaseAction,
                    [transfer] { transfer->loadDatabase(); });
    onButtonAndItem(w.saveToLoggerButton, w.saveToLoggerAction,
                    [transfer] { transfer->saveToLogger(); });
    on(w.addWaypointButton, &QPushButton::clicked, [editor] { editor->addWaypoint(); });
    on(w.deleteWaypointButton, &QPushButton::clicked, [editor] { editor->deleteWaypoint(); });
    on(w.addRouteButton, &QPushButton::clicked, [editor] { editor->addRoute(); });
    on(w.deleteRouteButton, &QPushButton::clicked, [editor] { editor->deleteRoute(); });
    on(w.removeWaypointFromTaskButton, &QPushButton::clicked,
       [editor] { editor->removeWaypointFromTask(); });
    on(w.homePointField, &QComboBox::activated,
       [this](int index) { m_declarationForm->homePointSelectionDidChange(index); });
    // The Use Route menu keeps its title item selected; choosing another item acts on it.
    on(w.useRouteForTaskMenu, &QComboBox::activated, [this, editor](int index) {
        const QString title = index > 0 ? m_window.useRouteForTaskMenu->itemText(index) : "";
        m_window.useRouteForTaskMenu->setCurrentIndex(0);
        editor->useRoute(title);
    });
    on(w.addWaypointToTaskPopup, &QComboBox::activated,
       [editor](int index) { editor->waypointChosenInBox(index); });
    w.addWaypointToTaskPopup->installEventFilter(editor);
}

// ---------------------------------------------------------------------------------------
// Notifications

void LoggerController::windowDidBecomeMain() {
    m_connection->updateLoggerMenu();
    m_connection->loadLoggerTypes();
    m_importExport->loadFileTypes();
    m_connection->loadSerialPorts();
    m_hotPlugDownload->notePresentPorts();
    m_window.connectButton->setEnabled(m_connection->portsLoaded());
    m_flightList->flightsSelectionDidChange();
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
}

void LoggerController::windowDidBecomeKey() {
    m_flightDownloads->startPendingDownload();
}

void LoggerController::windowWillClose() {
    m_runner->waitUntilFinished();
    if (Logger* driver = logger()) driver->disconnect();
}

bool LoggerController::tabViewShouldSelect(int) {
    if (isConnected()) return true;
    beep();
    return KelvoPrefs::allowInternalDebugFeatures();
}

void LoggerController::tabViewDidSelect(int tab) {
    switch (tab) {
        case LoggerWindow::FlightsTab:
            return m_flightList->showFlightsTab();
        case LoggerWindow::DatabaseTab:
        case LoggerWindow::DeclarationTab:
            return m_databaseTransfer->showDatabaseTab();
        default:
            return;
    }
}

void LoggerController::showInfoTab() {
    const QSignalBlocker blocker(m_window.tabbedView);
    m_window.tabbedView->setCurrentIndex(LoggerWindow::InfoTab);
    m_shownTab = LoggerWindow::InfoTab;
}

// ---------------------------------------------------------------------------------------
// Shared by the parts

Logger* LoggerController::logger() const {
    return m_connection->logger();
}

bool LoggerController::isConnected() const {
    return m_connection->isConnected();
}

const std::string& LoggerController::nativeExtension() const {
    return m_connection->nativeExtension();
}

void LoggerController::setStatus(const QString& text) {
    m_window.statusLine->setText(text);
}

void LoggerController::setDataSources(Logger* driver) {
    LoggerData* data = driver ? &driver->loggerData() : nullptr;
    m_loggerInfoDataSource->setData(data ? &data->loggerInfo() : nullptr);
    m_flightsDataSource->setData(data ? &data->flightDirectory() : nullptr);
    m_routesDataSource->setRoutes(data ? &data->routes() : nullptr,
                                  data ? &data->waypoints() : nullptr);
    m_taskDataSource->setData(data ? data->declaration()->task() : nullptr);
    m_waypointsDataSource->setData(data ? &data->waypoints() : nullptr);
    m_declarationForm->setHomePointItems(data ? &data->waypoints() : nullptr);
}

void LoggerController::attachLoggerDataToDataSources() {
    setDataSources(logger());
}

void LoggerController::clearLoggerData() {
    setDataSources(nullptr);
    if (Logger* driver = logger()) driver->loggerData().clear();
    attachLoggerDataToDataSources();
    m_declarationForm->showDeclaration();
}

QFileDialog* LoggerController::makeFilePanel(const QString& title, QWidget* accessory) {
    // Qt's own dialog, since the platform's cannot carry an accessory.
    auto* panel = new QFileDialog(&m_window, title);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::WindowModal);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    // Not the folder the program happened to start in.
    panel->setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (accessory) {
        accessory->setParent(panel);
        if (auto* grid = qobject_cast<QGridLayout*>(panel->layout()))
            grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
    }
    m_filePanel = panel;
    return panel;
}

// ---------------------------------------------------------------------------------------
// Preferences and update page

void LoggerController::showPrefsWindow() {
    m_preferencesPanel->open();
}

void LoggerController::preferencesPanelDidEnd() {
    KelvoPrefsBasedFormatter::applyTimeZonePreference();
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
    if (!logger()) return;
    attachLoggerDataToDataSources();
    m_declarationForm->reformatHomePosition();
}

void LoggerController::checkForUpdate() {
    QDesktopServices::openUrl(QUrl(kUpdatePage));
}

}  // namespace kelvo
