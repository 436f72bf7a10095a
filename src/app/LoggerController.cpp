#include "app/LoggerController.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <QUrl>
#include <QUuid>
#include <algorithm>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerFactory.h"
#include "LoggerAccess/LoggerLimits.h"
#include "LoggerAccess/VolumeDictionary.h"
#include "app/ConnectionAdvice.h"
#include "app/ExportPanelController.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefs.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerInfoDataSource.h"
#include "app/LoggerWindow.h"
#include "app/PortWatcher.h"
#include "app/PreferencesController.h"
#include "app/ProgressDialog.h"
#include "app/RoutesDataSource.h"
#include "app/SaveIGCPanelController.h"
#include "app/TaskDataSource.h"
#include "app/WarningClearLoggerController.h"
#include "app/WaypointsComboDataSource.h"
#include "app/WaypointsDataSource.h"
#include "base/Beep.h"
#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/Text.h"
#include "files/FileFactory.h"
#include "geo/Declaration.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"
#include "geo/Route.h"
#include "igc/IGCCheck.h"
#include "igc/Logbook.h"
#include "igc/LogbookDownload.h"

namespace kelvo {

namespace {

const QString kUpdatePage = QStringLiteral("https://kelvo.org/kelvo/updates/1.1.2/");

// Download panels open in the flights folder once there is one; Download New Flights
// makes it.
void openInFlightsFolder(QFileDialog& panel) {
    const QString folder = KelvoPrefs::flightsFolder();
    if (QDir(folder).exists()) panel.setDirectory(folder);
}

std::optional<PortDictionary> platformPorts(int connectionType) {
    switch (connectionType) {
        case 1:
            return SerialPortDictionary::serialPortDictionary();
        case 2:
            return VolumeDictionary::volumeDictionary();
        default:
            return std::nullopt;
    }
}

QStringList sortedCaseInsensitively(QStringList names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

// Replaces the items of a menu and selects the first of the wanted names that is an item;
// otherwise the selection stays where the menu puts it.
void replaceItems(QComboBox* menu, const QStringList& items, const QStringList& wanted) {
    const QSignalBlocker blocker(menu);
    menu->clear();
    menu->addItems(items);
    for (const QString& name : wanted) {
        const int index = menu->findText(name);
        if (index >= 0) {
            menu->setCurrentIndex(index);
            return;
        }
    }
}

// An IGC file begins with its A record; the native formats of the drivers do not.
bool looksLikeIgc(const Bytes& flight) {
    return !flight.empty() && flight.front() == 'A';
}

QString reasonOf(const Outcome& outcome) {
    return QString::fromStdString(outcome.reason());
}

QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
      m_portSource(platformPorts) {
    QObject::connect(m_progressPanel, &ProgressDialog::cancelRequested, this,
                     [] { requestCancellation(); });
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
    // Newest flights on top; waypoints are dragged from their table into the routes.
    m_window.flightsList->setSortingEnabled(true);
    m_window.flightsList->sortByColumn(int(FlightsDataSource::columnIdentifiers().indexOf("date")),
                                       Qt::DescendingOrder);
    m_window.waypointsView->setDragDropMode(QAbstractItemView::DragOnly);
    m_window.routesView->setDragDropMode(QAbstractItemView::DropOnly);
    m_window.routesView->setDropIndicatorShown(true);
    m_warningClearLoggerController->setWindowModality(Qt::WindowModal);
    wireWindow();

    loadGliderClassDescriptions();
    setConnectedControls(false);
    m_window.connectButton->setEnabled(false);
    m_window.downloadButton->setEnabled(false);
    m_window.downloadNewFlightsButton->setEnabled(false);
    m_window.clearFlightsButton->setEnabled(false);
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
    fillUseRoutesMenu();
    fillAddWaypointsMenu();
    showDeclaration();
}

LoggerController::~LoggerController() {
    if (m_worker) {
        // Only reached when the window goes without closing; a worker that still waits for
        // a view update cannot get it any more.
        m_worker->wait();
        delete m_worker;
    }
}

void LoggerController::wireWindow() {
    LoggerWindow& w = m_window;
    auto on = [this](auto* sender, auto signal, auto slot) {
        QObject::connect(sender, signal, this, slot);
    };
    on(&w, &LoggerWindow::windowDidBecomeMain, [this] {
        windowDidBecomeMain();
        windowDidBecomeKey();
    });
    on(&w, &LoggerWindow::windowWillClose, [this] { windowWillClose(); });
    on(w.connectButton, &QPushButton::clicked, [this] { connect(); });
    on(w.loggerTypesMenu, &QComboBox::activated, [this] { loggerTypeChanged(); });
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
    on(w.flightsList->selectionModel(), &QItemSelectionModel::selectionChanged,
       [this] { flightsSelectionDidChange(); });
    on(w.onlyDetectedTakeoffBox, &QCheckBox::toggled, [this](bool on) { onlyDetectedTakeoff(on); });
    on(w.reloadFlightsButton, &QPushButton::clicked, [this] { loadFlights(); });
    on(w.downloadButton, &QPushButton::clicked, [this] { downloadFile(); });
    on(w.downloadNewFlightsButton, &QPushButton::clicked, [this] { downloadNewFlights(); });
    on(w.clearFlightsButton, &QPushButton::clicked, [this] { clearFlights(); });
    on(w.viewFlightButton, &QPushButton::clicked, [this] { viewFlight(); });
    on(w.reloadDatabaseButton, &QPushButton::clicked, [this] { loadDatabase(); });
    on(w.saveToLoggerButton, &QPushButton::clicked, [this] { saveToLogger(); });
    on(w.addWaypointButton, &QPushButton::clicked, [this] { addWaypoint(); });
    on(w.deleteWaypointButton, &QPushButton::clicked, [this] { deleteWaypoint(); });
    on(w.addRouteButton, &QPushButton::clicked, [this] { addRoute(); });
    on(w.deleteRouteButton, &QPushButton::clicked, [this] { deleteRoute(); });
    on(w.removeWaypointFromTaskButton, &QPushButton::clicked, [this] { removeWaypointFromTask(); });
    on(w.homePointField, &QComboBox::activated,
       [this](int index) { homePointSelectionDidChange(index); });
    // The two menus keep their title item selected; choosing another item acts on it.
    on(w.useRouteForTaskMenu, &QComboBox::activated, [this](int index) {
        const QString title = index > 0 ? m_window.useRouteForTaskMenu->itemText(index) : "";
        m_window.useRouteForTaskMenu->setCurrentIndex(0);
        useRoute(title);
    });
    on(w.addWaypointToTaskPopup, &QComboBox::activated, [this](int index) {
        const QString title = index > 0 ? m_window.addWaypointToTaskPopup->itemText(index) : "";
        m_window.addWaypointToTaskPopup->setCurrentIndex(0);
        addWaypointToTask(title);
    });

    on(w.reloadFlightsAction, &QAction::triggered, [this] { loadFlights(); });
    on(w.downloadAction, &QAction::triggered, [this] { downloadFile(); });
    on(w.downloadNewFlightsAction, &QAction::triggered, [this] { downloadNewFlights(); });
    on(w.clearFlightsAction, &QAction::triggered, [this] { clearFlights(); });
    on(w.reloadDatabaseAction, &QAction::triggered, [this] { loadDatabase(); });
    on(w.saveToLoggerAction, &QAction::triggered, [this] { saveToLogger(); });
    on(w.preferencesAction, &QAction::triggered, [this] { showPrefsWindow(); });
    on(w.checkForUpdateAction, &QAction::triggered, [this] { checkForUpdate(); });
    on(w.quitAction, &QAction::triggered, [this] { m_window.close(); });
    on(m_preferencesPanel, &QDialog::finished, [this] { preferencesPanelDidEnd(); });
    on(m_warningClearLoggerController, &QDialog::finished,
       [this] { clearFlightsSheetDidEnd(m_warningClearLoggerController->getReturnCode()); });
    on(w.importAction, &QAction::triggered, [this] { importFile(); });
    on(m_portWatcher, &PortWatcher::portsMayHaveChanged, [this] { portsDidChange(); });
    on(w.exportAction, &QAction::triggered, [this] { exportFile(); });
}

// ---------------------------------------------------------------------------------------
// Threads

void LoggerController::onGui(const std::function<void()>& step) {
    if (QThread::currentThread() == thread())
        step();
    else
        QMetaObject::invokeMethod(this, step, Qt::BlockingQueuedConnection);
}

void LoggerController::startWorker(const QString& text, void (LoggerController::*body)()) {
    if (m_worker) {
        logLine("An operation is still running; the new one is not started.");
        return;
    }
    clearCancellation();
    m_progressPanel->start(text);
    showProgressWindow();
    m_worker = QThread::create([this, body] { (this->*body)(); });
    QObject::connect(m_worker, &QThread::finished, this, &LoggerController::workerDidFinish);
    m_worker->start();
}

void LoggerController::workerDidFinish() {
    m_worker->wait();
    delete m_worker;
    m_worker = nullptr;
    Q_EMIT operationFinished();
}

void LoggerController::reportProgress(const Progress& progress) {
    if (progress.fraction) {
        m_progressPanel->setFraction((static_cast<double>(m_batchFlight) + *progress.fraction) /
                                     static_cast<double>(m_batchSize));
    }
    if (progress.bytes == 0) return;
    m_transferRate.update(progress.bytes, progress.fraction);
    m_progressPanel->setRate(QString::fromStdString(m_transferRate.text()));
}

void LoggerController::showProgressWindow() {
    // The views show the driver's collections in place; they must not read them while the
    // worker changes them.
    m_window.tabbedView->setUpdatesEnabled(false);
    m_progressPanel->open();
    m_progressWindowVisible = true;
    updateLoggerMenu();
}

void LoggerController::removeProgressWindow() {
    m_progressPanel->hide();
    m_progressWindowVisible = false;
    m_window.tabbedView->setUpdatesEnabled(true);
    updateLoggerMenu();
}

// ---------------------------------------------------------------------------------------
// Connecting

bool LoggerController::isConnected() const {
    return m_logger && m_logger->stillConnected();
}

QString LoggerController::selectedLoggerName() const {
    return m_window.loggerTypesMenu->currentText();
}

QString LoggerController::selectedPortName() const {
    return m_window.serialPortsMenu->currentText();
}

void LoggerController::connect() {
    if (!m_portsLoaded) loadSerialPorts();
    loadGliderClassDescriptions();
    if (isConnected()) {
        const QSignalBlocker blocker(m_window.tabbedView);
        m_window.tabbedView->setCurrentIndex(LoggerWindow::InfoTab);
        m_shownTab = LoggerWindow::InfoTab;
        m_logger->disconnect();
        m_directoryLoaded = m_waypointsLoaded = m_declarationLoaded = false;
        setConnectedControls(false);
        m_window.clearFlightsButton->setEnabled(false);
        clearLoggerData();
        setStatus(tr("Disconnected."));
        return;
    }
    setStatus({});
    m_logger.reset();
    const std::string typeName = selectedLoggerName().toStdString();
    m_logger = LoggerFactory::shared().loggerInstanceWithName(typeName);
    const LoggerDescriptor* type = LoggerFactory::shared().loggerClassWithName(typeName);
    m_nativeExtension = type ? type->nativeExtension : "";
    if (m_logger) {
        m_logger->setProgressHandler([this](const Progress& progress) {
            QMetaObject::invokeMethod(
                this, [this, progress] { reportProgress(progress); }, Qt::QueuedConnection);
        });
    }
    startWorker(tr("Connecting to the %1…").arg(selectedLoggerName()),
                &LoggerController::threadedConnect);
}

void LoggerController::threadedConnect() {
    QString portName;
    QString loggerName;
    std::string path;
    onGui([&] {
        portName = selectedPortName();
        loggerName = selectedLoggerName();
        const auto location = m_loggerLocations.find(portName.toStdString());
        if (location != m_loggerLocations.end()) path = location->second;
    });

    if (m_logger) m_logger->setPreferredLineSpeed(KelvoPrefs::lineSpeedForPort(portName));
    Outcome outcome;
    for (int attempt = 0; m_logger && attempt < kConnectAttempts; ++attempt) {
        outcome = m_logger->connect(path);
        if (outcome) {
            if (const Outcome info = m_logger->readInfo(); !info) {
                logf("The recorder's identity could not be read: %s", info.reason().c_str());
            }
            const bool connected = m_logger->stillConnected();
            onGui([&] {
                attachLoggerDataToDataSources();
                if (!connected) return;
                m_window.connectButton->setText(tr("Disconnect"));
                KelvoPrefs::setLastUsedSerialPortName(portName);
                KelvoPrefs::setLineSpeedForPort(portName, m_logger->lineSpeed());
                KelvoPrefs::setLastUsedLoggerName(loggerName);
            });
            if (connected) break;
            logLine("Connect was not so very succesful ...");
            if (m_logger->loggerInfo().empty())
                logLine("because logger data contains no logger data.");
        }
        m_logger->disconnect();
        if (!outcome && !outcome.retryable()) break;
        delaySeconds(kConnectRetryPause);
    }

    onGui([&] {
        {
            const QSignalBlocker blocker(m_window.tabbedView);
            m_window.tabbedView->setCurrentIndex(LoggerWindow::InfoTab);
            m_shownTab = LoggerWindow::InfoTab;
        }
        removeProgressWindow();
        if (isConnected()) {
            setConnectedControls(true);
            m_logger->setKeyspanAccelleration(KelvoPrefs::keyspanAcceleration());
            setStatus(tr("Connected to the %1 on %2.").arg(loggerName, portName));
            return;
        }
        m_logger.reset();
        attachLoggerDataToDataSources();
        reportFailedConnection(path, outcome);
    });
}

void LoggerController::reportFailedConnection(const std::string& path, const Outcome& outcome) {
    const bool refused = !outcome && !outcome.retryable();
    const QString text =
        refused ? tr("Could not connect to the %1: %2")
                      .arg(selectedLoggerName(), QString::fromStdString(outcome.reason()))
                : tr("Could not connect to the %1 on %2 after %3 attempts.")
                      .arg(selectedLoggerName(), selectedPortName())
                      .arg(kConnectAttempts);
    // The driver says what failed; the advice what to do about it.
    const QString advice = refused ? ConnectionAdvice::portAccessProblem(path)
                                   : ConnectionAdvice::afterFailedConnect(path);
    setStatus(advice.isEmpty() ? text : text + QLatin1Char(' ') + advice);
}

void LoggerController::setConnectedControls(bool connected) {
    m_window.connectButton->setText(connected ? tr("Disconnect") : tr("Connect"));
    m_window.serialPortsMenu->setEnabled(!connected);
    m_window.loggerTypesMenu->setEnabled(!connected);
    if (!connected) {
        m_window.saveToLoggerButton->setEnabled(false);
        m_window.saveToLoggerAction->setEnabled(false);
        m_window.downloadNewFlightsButton->setEnabled(false);
    }
    updateLoggerMenu();
}

void LoggerController::updateLoggerMenu() {
    m_window.loggerMenuItem->setEnabled(!m_progressWindowVisible && isConnected());
}

void LoggerController::setStatus(const QString& text) {
    m_window.statusLine->setText(text);
}

// ---------------------------------------------------------------------------------------
// Menus of the window

void LoggerController::loadGliderClassDescriptions() {
    QStringList names;
    for (const std::string& name : Declaration::competitionClassNames())
        names << QString::fromStdString(name);
    const QString selected = m_window.competitionClassPopup->currentText();
    replaceItems(m_window.competitionClassPopup, names, {selected});
}

void LoggerController::loadLoggerTypes() {
    const QString remembered = selectedLoggerName();
    LoggerFactory& factory = LoggerFactory::shared();
    factory.clearRegisteredLoggers();
    factory.registerBuiltinLoggers();
    if (KelvoPrefs::allowInternalDebugFeatures()) factory.registerFutureLoggers();
    factory.registerPlugins();
    if (m_pluginRegistration) m_pluginRegistration(factory);
    QStringList names;
    for (const std::string& name : factory.registeredLoggers())
        names << QString::fromStdString(name);
    m_loggerTypes = sortedCaseInsensitively(names);
    replaceItems(m_window.loggerTypesMenu, m_loggerTypes,
                 {remembered, KelvoPrefs::lastUsedLoggerName()});
}

void LoggerController::loadSerialPorts() {
    const QString remembered = selectedPortName();
    const LoggerDescriptor* type =
        LoggerFactory::shared().loggerClassWithName(selectedLoggerName().toStdString());
    const std::optional<PortDictionary> ports = m_portSource(type ? type->connectionType : 0);
    if (!ports) return;
    m_loggerLocations = *ports;
    QStringList names;
    for (const auto& [name, path] : m_loggerLocations) names << QString::fromStdString(name);
    replaceItems(m_window.serialPortsMenu, sortedCaseInsensitively(names),
                 {remembered, KelvoPrefs::lastUsedSerialPortName()});
    m_portsLoaded = m_window.serialPortsMenu->count() > 0;
    m_window.connectButton->setEnabled(m_portsLoaded);
}

void LoggerController::loadFileTypes() {
    FileFactory& factory = FileFactory::shared();
    factory.clearRegisteredFiles();
    factory.registerBuiltinFiletypes();
    factory.registerPlugins();
    m_fileTypes.clear();
    for (const std::string& extension : factory.getRegisteredFiles())
        m_fileTypes << QString::fromStdString(extension);
}

void LoggerController::loggerTypeChanged() {
    loadSerialPorts();
}

// ---------------------------------------------------------------------------------------
// Views

void LoggerController::setHomePointItems(const WaypointList* waypoints) {
    // Handing the list to the combo box must not change the home point's name.
    const QString homeName = m_window.homePointField->currentText();
    m_waypointsComboDataSource->setData(waypoints);
    const QSignalBlocker blocker(m_window.homePointField);
    m_window.homePointField->setEditText(homeName);
}

void LoggerController::attachLoggerDataToDataSources() {
    if (!m_logger) {
        m_loggerInfoDataSource->setData(nullptr);
        m_flightsDataSource->setData(nullptr);
        m_routesDataSource->setRoutes(nullptr, nullptr);
        m_taskDataSource->setData(nullptr);
        m_waypointsDataSource->setData(nullptr);
        setHomePointItems(nullptr);
    } else {
        LoggerData& data = m_logger->loggerData();
        m_loggerInfoDataSource->setData(&data.loggerInfo());
        m_flightsDataSource->setData(&data.flightDirectory());
        m_routesDataSource->setRoutes(&data.routes(), &data.waypoints());
        m_taskDataSource->setData(data.declaration()->task());
        m_waypointsDataSource->setData(&data.waypoints());
        setHomePointItems(&data.waypoints());
    }
}

void LoggerController::clearLoggerData() {
    m_loggerInfoDataSource->setData(nullptr);
    m_flightsDataSource->setData(nullptr);
    m_routesDataSource->setRoutes(nullptr, nullptr);
    m_taskDataSource->setData(nullptr);
    m_waypointsDataSource->setData(nullptr);
    setHomePointItems(nullptr);
    if (m_logger) m_logger->loggerData().clear();
    m_directoryReadAt = {};
    showFlightsSummary();
    attachLoggerDataToDataSources();
    showDeclaration();
}

void LoggerController::showDeclaration() {
    LoggerWindow& w = m_window;
    const std::shared_ptr<Declaration> declaration = m_logger ? m_logger->declaration() : nullptr;
    const QSignalBlocker blocker(w.homePointField);
    if (!declaration) {
        m_taskDataSource->setData(nullptr);
        for (QLineEdit* field :
             {w.registration, w.pilot1Field, w.pilot2Field, w.pilot3Field, w.pilot4Field,
              w.gliderIDField, w.gliderTypeField, w.homeLatitude, w.homeLongitude, w.homeElevation})
            field->clear();
        w.homePointField->setEditText("");
        w.competitionClassPopup->setCurrentIndex(w.competitionClassPopup->findText(""));
        return;
    }
    auto text = [](const std::string& value) { return QString::fromStdString(value); };
    m_taskDataSource->setData(declaration->task());
    w.registration->setText(text(declaration->competitionID()));
    w.pilot1Field->setText(text(declaration->pilot1()));
    w.pilot2Field->setText(text(declaration->pilot2()));
    w.pilot3Field->setText(text(declaration->pilot3()));
    w.pilot4Field->setText(text(declaration->pilot4()));
    w.gliderIDField->setText(text(declaration->gliderID()));
    w.gliderTypeField->setText(text(declaration->gliderType()));
    w.competitionClassPopup->setCurrentIndex(
        w.competitionClassPopup->findText(text(declaration->competitionClassDescription())));
    if (const std::shared_ptr<Waypoint>& home = declaration->homePoint()) {
        w.homePointField->setEditText(text(home->name()));
        w.homeLatitude->setText(
            KelvoPrefsBasedFormatter::getCoordinateDescription(home->latitude()));
        w.homeLongitude->setText(
            KelvoPrefsBasedFormatter::getCoordinateDescription(home->longitude()));
        w.homeElevation->setText(QString::number(home->elevation()));
    } else {
        w.homePointField->setEditText("");
        w.homeLatitude->clear();
        w.homeLongitude->clear();
        w.homeElevation->clear();
    }
}

void LoggerController::fillUseRoutesMenu() {
    QStringList items{tr("Use Route")};
    if (m_logger) {
        for (const auto& route : m_logger->routes()) items << QString::fromStdString(route->name());
    }
    replaceItems(m_window.useRouteForTaskMenu, items, {});
}

void LoggerController::fillAddWaypointsMenu() {
    QStringList items{tr("Add Waypoint")};
    if (m_logger) {
        for (const auto& waypoint : m_logger->waypoints())
            items << QString::fromStdString(waypoint->description());
    }
    replaceItems(m_window.addWaypointToTaskPopup, items, {});
}

// ---------------------------------------------------------------------------------------
// Notifications

void LoggerController::windowDidBecomeMain() {
    updateLoggerMenu();
    loadLoggerTypes();
    loadFileTypes();
    loadSerialPorts();
    m_window.connectButton->setEnabled(m_portsLoaded);
    flightsSelectionDidChange();
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
}

void LoggerController::portsDidChange() {
    // The menu is locked while connected; an operation may be reading the chosen port.
    if (isConnected() || m_worker) return;
    loadSerialPorts();
}

void LoggerController::windowDidBecomeKey() {
    if (!m_mustDownloadFlights) return;
    m_mustDownloadFlights = false;
    startWorker(tr("Downloading flights…"), &LoggerController::threadedDownloadFlights);
}

void LoggerController::windowWillClose() {
    if (m_worker) {
        QEventLoop loop;
        QObject::connect(this, &LoggerController::operationFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (m_logger) m_logger->disconnect();
}

std::vector<int> LoggerController::selectedFlightRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_window.flightsList->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void LoggerController::flightsSelectionDidChange() {
    const bool selected = m_window.flightsList->selectionModel()->hasSelection();
    m_window.downloadButton->setEnabled(selected);
    m_window.downloadAction->setEnabled(selected);
}

bool LoggerController::tabViewShouldSelect(int) {
    if (isConnected()) return true;
    beep();
    return KelvoPrefs::allowInternalDebugFeatures();
}

void LoggerController::tabViewDidSelect(int tab) {
    switch (tab) {
        case LoggerWindow::FlightsTab:
            if (m_directoryLoaded) return;
            startWorker(tr("Reading the flight directory…"),
                        &LoggerController::threadedLoadFlights);
            m_directoryLoaded = true;
            return;
        case LoggerWindow::DatabaseTab:
        case LoggerWindow::DeclarationTab:
            startWorker(tr("Reading waypoints, routes and declaration…"),
                        &LoggerController::threadedLoadDatabase);
            return;
        default:
            return;
    }
}

void LoggerController::homePointSelectionDidChange(int index) {
    LoggerWindow& w = m_window;
    const int waypoint = index - 1;
    const std::shared_ptr<Waypoint> chosen =
        m_logger && waypoint >= 0 ? m_logger->loggerData().waypointAtIndex(waypoint) : nullptr;
    if (!chosen) {
        w.homeLatitude->setText("");
        w.homeLongitude->setText("");
        w.homeElevation->setText("0");
        return;
    }
    w.homeLatitude->setText(KelvoPrefsBasedFormatter::getCoordinateDescription(chosen->latitude()));
    w.homeLongitude->setText(
        KelvoPrefsBasedFormatter::getCoordinateDescription(chosen->longitude()));
    w.homeElevation->setText(QString::number(chosen->elevation()));
}

// ---------------------------------------------------------------------------------------
// Flights

void LoggerController::loadFlights() {
    if (!isConnected()) return;
    m_logger->flightDirectory().clear();
    attachLoggerDataToDataSources();
    startWorker(tr("Reading the flight directory…"), &LoggerController::threadedReLoadFlights);
}

void LoggerController::threadedLoadFlights() {
    readFlights(false);
    onGui([this] { removeProgressWindow(); });
}

void LoggerController::threadedReLoadFlights() {
    readFlights(true);
    onGui([this] { removeProgressWindow(); });
}

void LoggerController::readFlights(bool reload) {
    if (!m_logger) return;
    FlightDirectory& directory = m_logger->flightDirectory();
    if (reload) {
        onGui([&] {
            directory.clear();
            m_flightsDataSource->setData(&directory);
        });
    }
    const Outcome outcome = m_logger->readDirectory(reload);
    onGui([&] {
        if (!outcome) setStatus(tr("Reading the flight list failed: %1").arg(reasonOf(outcome)));
        {
            const QSignalBlocker blocker(m_window.onlyDetectedTakeoffBox);
            m_window.onlyDetectedTakeoffBox->setChecked(false);
        }
        m_flightsDataSource->setShowOnlyFlightsWithTakeoff(false);
        m_flightsDataSource->setData(&directory);
        m_directoryReadAt = QDateTime::currentDateTime();
        showFlightsSummary();
        refreshLogbookColumn();
        m_window.downloadNewFlightsButton->setEnabled(!directory.empty());
        if (!directory.empty())
            m_window.clearFlightsButton->setEnabled(m_logger->allowsClearFlights());
        m_window.clearFlightsAction->setEnabled(m_window.clearFlightsButton->isEnabled());
    });
}

void LoggerController::onlyDetectedTakeoff(bool on) {
    m_flightsDataSource->setShowOnlyFlightsWithTakeoff(on);
    showFlightsSummary();
}

void LoggerController::showFlightsSummary() {
    if (!m_directoryReadAt.isValid()) {
        m_window.flightsSummary->clear();
        return;
    }
    m_window.flightsSummary->setText(
        tr("%n flight(s), read at %1", nullptr, m_flightsDataSource->rowCount())
            .arg(QLocale().toString(m_directoryReadAt.time(), QLocale::ShortFormat)));
}

void LoggerController::clearFlights() {
    if (!m_window.clearFlightsButton->isEnabled()) return;
    m_warningClearLoggerController->open();
}

void LoggerController::clearFlightsSheetDidEnd(int result) {
    if (result != 1 || !m_logger) return;
    m_logger->flightDirectory().clear();
    m_logger->flights().clear();
    attachLoggerDataToDataSources();
    startWorker(tr("Erasing the flights…"), &LoggerController::threadedClearFlights);
}

void LoggerController::threadedClearFlights() {
    const Outcome outcome = m_logger ? m_logger->clearDirectory() : Outcome::refusal("no recorder");
    onGui([this, &outcome] {
        if (m_logger) m_flightsDataSource->setData(&m_logger->flightDirectory());
        removeProgressWindow();
        setStatus(outcome ? tr("The flights were erased.")
                          : tr("Erasing the flights failed: %1").arg(reasonOf(outcome)));
    });
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

void LoggerController::downloadFile() {
    if (!m_logger) return;
    const std::vector<int> rows = selectedFlightRows();
    if (rows.empty()) return;
    auto* accessory = new SaveIGCPanelController;
    accessory->setLogger(m_logger.get(), QString::fromStdString(m_nativeExtension));
    if (rows.size() == 1) {
        const FlightEntry* entry = m_flightsDataSource->getFlightAtRow(rows.front());
        QFileDialog* panel = makeFilePanel(tr("Save track file"), accessory);
        panel->setAcceptMode(QFileDialog::AcceptSave);
        openInFlightsFolder(*panel);
        accessory->setSavePanel(panel);
        accessory->initPanel();
        const QString name = QString::fromStdString(entry ? entry->filename.value_or("") : "");
        panel->selectFile(QFileInfo(name).completeBaseName());
        QObject::connect(panel, &QDialog::finished, this, [this, panel, accessory](int result) {
            savePanelDidEnd(result, panel->selectedFiles().value(0), *accessory);
        });
        panel->open();
        return;
    }
    QFileDialog* panel = makeFilePanel(tr("Choose directory"), accessory);
    openInFlightsFolder(*panel);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    accessory->initPanel();
    QObject::connect(panel, &QDialog::finished, this, [this, panel, accessory](int result) {
        openPanelDidEnd(result, panel->selectedFiles().value(0), *accessory);
    });
    panel->open();
}

void LoggerController::savePanelDidEnd(int returnCode, const QString& file,
                                       const SaveIGCPanelController& accessory) {
    downloadPanelDidEnd(returnCode, file, accessory, "SavePanelDidEnd: Gonna download one flight.");
}

void LoggerController::openPanelDidEnd(int returnCode, const QString& folder,
                                       const SaveIGCPanelController& accessory) {
    downloadPanelDidEnd(returnCode, folder, accessory,
                        "OpenPanelDidEnd: Gonna download some flights.");
}

void LoggerController::downloadPanelDidEnd(int returnCode, const QString& target,
                                           const SaveIGCPanelController& accessory,
                                           const char* logText) {
    if (returnCode != QDialog::Accepted || target.isEmpty()) return;
    logLine(logText);
    downloadFlights(target, accessory.isSecure(), accessory.downloadAsIGC());
}

void LoggerController::downloadFlights(const QString& filePath, bool secure, bool asIGC) {
    m_filePath = filePath;
    m_downloadFlightsSecure = secure;
    m_downloadFlightsAsIGC = asIGC;
    m_downloadRows = selectedFlightRows();
    m_mustDownloadFlights = true;
    windowDidBecomeKey();
}

void LoggerController::threadedDownloadFlights() {
    std::vector<FlightEntry> entries;
    std::string folderOrFile;
    onGui([&] {
        for (int row : m_downloadRows)
            if (const FlightEntry* entry = m_flightsDataSource->getFlightAtRow(row))
                entries.push_back(*entry);
        folderOrFile = m_filePath.toStdString();
    });
    QStringList failed;
    QStringList notPassing;
    for (const FlightEntry& entry : entries) {
        const std::string name =
            entry.filename.value_or(stringf("flight%s", entry.number.value_or("").c_str()));
        const std::string target = entries.size() == 1 ? folderOrFile : folderOrFile + "/" + name;
        const std::optional<int> key = entry.key();
        const Outcome outcome =
            m_logger && key ? m_logger->readFile(target, *key, m_downloadFlightsSecure,
                                                 m_downloadFlightsAsIGC, &entry)
                            : Outcome::refusal("not in the recorder's list");
        if (!outcome) failed << QString::fromStdString(name) + " (" + reasonOf(outcome) + ")";
        if (outcome.kind() == Outcome::Kind::Cancelled) break;
        if (outcome && m_downloadFlightsAsIGC) {
            // The file stays, as its G record covers the recorder's own bytes.
            const auto problems = IGCCheck::checkFile(target);
            if (!problems.empty()) {
                notPassing << QString::fromStdString(name + " " + problems.front().text());
            }
        }
    }
    onGui([&] {
        removeProgressWindow();
        QString status = failed.isEmpty()
                             ? tr("Downloaded %n flight(s).", nullptr, int(entries.size()))
                             : tr("Download failed: %1.").arg(failed.join(", "));
        if (!notPassing.isEmpty()) {
            status += tr(" Warning, would not pass as IGC: %1.").arg(notPassing.join("; "));
        }
        setStatus(status);
    });
}

void LoggerController::downloadNewFlights() {
    if (!m_logger || !m_directoryLoaded) return;
    startWorker(tr("Downloading new flights…"), &LoggerController::threadedDownloadNewFlights);
}

void LoggerController::threadedDownloadNewFlights() {
    QString folder;
    onGui([&] {
        folder = KelvoPrefs::flightsFolder();
        QDir().mkpath(folder);
    });
    LogbookDownload::Summary outcome;
    if (m_logger) {
        outcome = LogbookDownload::downloadNewFlights(
            *m_logger, folder.toStdString(), m_logger->supportsSecure(),
            [this](std::size_t flight, std::size_t count) {
                m_batchSize = count;
                m_batchFlight = flight;
            });
    }
    m_batchFlight = 0;
    m_batchSize = 1;
    onGui([&] {
        removeProgressWindow();
        refreshLogbookColumn();
        QStringList lines{
            tr("Downloaded %n flight(s) to %1.", nullptr, int(outcome.downloaded.size()))
                .arg(folder),
            tr("Already present: %n.", nullptr, int(outcome.alreadyPresent.size())),
            tr("Failed: %n.", nullptr, int(outcome.failed.size()))};
        for (const auto& failure : outcome.failed)
            lines << QStringLiteral("%1: %2").arg(QString::fromStdString(failure.file),
                                                  QString::fromStdString(failure.reason));
        m_newFlightsSummary = lines.join('\n');
        setStatus(lines.first());
        auto* box = new QMessageBox(
            outcome.failed.empty() ? QMessageBox::Information : QMessageBox::Warning,
            tr("Download New Flights"), m_newFlightsSummary, QMessageBox::Ok, &m_window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
}

void LoggerController::refreshLogbookColumn() {
    m_flightsDataSource->setLogbookFileNames(
        Logbook::flightFileNames(KelvoPrefs::flightsFolder().toStdString()));
}

QByteArray LoggerController::igcTextOfFlight(int key, const FlightEntry& entry) {
    const Bytes* stored = m_logger->loggerData().flightWithKey(key);
    if (!stored) {
        // A driver that keeps nothing (Flarm) leaves only the file it wrote.
        const QTemporaryDir folder;
        const QString target =
            folder.filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + ".IGC");
        m_logger->readFile(target.toStdString(), key, false, true, &entry);
        stored = m_logger->loggerData().flightWithKey(key);
        if (!stored) return readWholeFile(target);
    }
    if (looksLikeIgc(*stored))
        return QByteArray(reinterpret_cast<const char*>(stored->data()),
                          static_cast<qsizetype>(stored->size()));
    return QByteArray::fromStdString(
        LoggerFactory::shared().igcTextOfFlight(*stored, m_nativeExtension));
}

void LoggerController::viewFlight() {
    if (!m_logger) return;
    for (int row : selectedFlightRows()) {
        const FlightEntry* entry = m_flightsDataSource->getFlightAtRow(row);
        const std::optional<int> key = entry ? entry->key() : std::nullopt;
        if (!key) continue;
        const QByteArray igc = igcTextOfFlight(*key, *entry);
        if (m_flightViewer)
            m_flightViewer(igc, QString::fromStdString(entry->filename.value_or("")));
    }
}

// ---------------------------------------------------------------------------------------
// Waypoints, routes and declaration

void LoggerController::loadDatabase() {
    if (!isConnected()) return;
    m_logger->routes().clear();
    m_logger->waypoints().clear();
    attachLoggerDataToDataSources();
    startWorker(tr("Reading waypoints, routes and declaration…"),
                &LoggerController::threadedReLoadDatabase);
}

void LoggerController::threadedLoadDatabase() {
    readWaypoints(false);
    readDeclaration(false);
    onGui([this] {
        removeProgressWindow();
        fillUseRoutesMenu();
        fillAddWaypointsMenu();
        m_waypointsLoaded = m_declarationLoaded = true;
    });
}

void LoggerController::threadedReLoadDatabase() {
    readWaypoints(true);
    readDeclaration(true);
    onGui([this] {
        fillUseRoutesMenu();
        fillAddWaypointsMenu();
        removeProgressWindow();
        m_waypointsLoaded = m_declarationLoaded = true;
    });
}

void LoggerController::readWaypoints(bool reload) {
    if (!m_logger) return;
    bool loaded = false;
    onGui([&] {
        if (reload) {
            m_waypointsDataSource->setData(nullptr);
            m_routesDataSource->setRoutes(nullptr, nullptr);
        } else if (m_waypointsLoaded) {
            m_window.saveToLoggerButton->setEnabled(true);
            m_window.saveToLoggerAction->setEnabled(true);
            loaded = true;
        }
    });
    if (loaded) return;
    Outcome outcome = m_logger->readWaypoints(reload);
    if (outcome) outcome = m_logger->readRoutes(false);
    onGui([this, &outcome] {
        if (!outcome) setStatus(tr("Reading the waypoints failed: %1").arg(reasonOf(outcome)));
        LoggerData& data = m_logger->loggerData();
        m_waypointsDataSource->setData(&data.waypoints());
        setHomePointItems(&data.waypoints());
        m_routesDataSource->setRoutes(&data.routes(), &data.waypoints());
    });
    m_logger->readPilots(false);
    onGui([this] {
        m_window.saveToLoggerButton->setEnabled(true);
        m_window.saveToLoggerAction->setEnabled(true);
    });
}

void LoggerController::readDeclaration(bool reload) {
    if (!m_logger) return;
    bool loaded = false;
    onGui([&] {
        if (!reload && m_declarationLoaded) {
            m_window.saveToLoggerButton->setEnabled(true);
            m_window.saveToLoggerAction->setEnabled(true);
            loaded = true;
        }
    });
    if (loaded) return;
    // A reload reads the declaration from the device again, as it does the waypoints.
    const Outcome outcome = m_logger->readDeclaration(reload);
    onGui([this, &outcome] {
        if (!outcome) setStatus(tr("Reading the declaration failed: %1").arg(reasonOf(outcome)));
        showDeclaration();
        m_window.saveToLoggerButton->setEnabled(true);
        m_window.saveToLoggerAction->setEnabled(true);
    });
}

void LoggerController::saveToLogger() {
    if (!m_logger) return;
    LoggerWindow& w = m_window;
    Declaration& declaration = *m_logger->declaration();
    declaration.setPilot1(w.pilot1Field->text().toStdString());
    declaration.setPilot2(w.pilot2Field->text().toStdString());
    declaration.setPilot3(w.pilot3Field->text().toStdString());
    declaration.setPilot4(w.pilot4Field->text().toStdString());
    const std::string competitionClass = w.competitionClassPopup->currentText().toStdString();
    logf("Menu appears to be set to: %s", competitionClass.c_str());
    declaration.setCompetitionClassDescription(competitionClass);
    declaration.setGliderID(w.gliderIDField->text().toStdString());
    declaration.setGliderType(w.gliderTypeField->text().toStdString());
    declaration.setCompetitionID(w.registration->text().toStdString());
    declaration.setHomePoint(Waypoint::fromStrings(
        w.homePointField->currentText().toStdString(), w.homeLatitude->text().toStdString(),
        w.homeLongitude->text().toStdString(),
        leadingDouble(w.homeElevation->text().toStdString())));
    if (!confirmCutToFit()) return;
    startWorker(tr("Writing waypoints, routes and declaration…"),
                &LoggerController::threadedSaveDatabase);
}

bool LoggerController::confirmCutToFit() {
    const std::vector<std::string> excess =
        LoggerLimits::excess(m_logger->loggerData(), m_logger->capabilities());
    if (excess.empty()) return true;
    QStringList lines;
    for (const std::string& line : excess) lines << QString::fromStdString(line);
    const auto answer = QMessageBox::question(
        &m_window, tr("Save to Logger"),
        tr("The recorder cannot keep everything:\n\n%1\n\nCut what does not fit and write the "
           "rest?")
            .arg(lines.join('\n')),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
    LoggerLimits::cutToFit(m_logger->loggerData(), m_logger->capabilities());
    attachLoggerDataToDataSources();
    return true;
}

void LoggerController::threadedSaveDatabase() {
    const Outcome outcome =
        m_logger ? m_logger->writeDatabaseAndDeclaration() : Outcome::refusal("no recorder");
    // An acknowledged write may still leave another declaration in the recorder: read it
    // back in the same connection and show what it holds.
    const DeclarationVerification verification =
        outcome ? DeclarationCheck::verifyWritten(*m_logger) : DeclarationVerification{};
    onGui([this, &outcome, &verification] {
        removeProgressWindow();
        if (!outcome) {
            return setStatus(tr("Writing to the logger failed: %1").arg(reasonOf(outcome)));
        }
        if (verification.verdict != DeclarationVerification::Verdict::NotVerifiable) {
            showDeclaration();
        }
        setStatus(tr("Waypoints and routes were written to the logger; declaration %1.")
                      .arg(QString::fromStdString(verification.text())));
    });
}

int LoggerController::selectedTaskRow() const {
    const QModelIndexList rows = m_window.taskView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void LoggerController::applyTurnpointDefaults() {
    const std::shared_ptr<Task>& task = m_logger->declaration()->task();
    if (!task) return;
    const std::size_t count = task->numOfTurnpoints();
    for (std::size_t i = 0; i < count; ++i) {
        Turnpoint& turnpoint = *task->turnpoint(i);
        if (i == 0 || i + 1 == count) {
            turnpoint.setLineWidth(KelvoPrefs::defaultStartlineWidth());
        } else {
            turnpoint.setCylinderRadius(KelvoPrefs::defaultCylinderRadius());
            turnpoint.setSectorRadius(KelvoPrefs::defaultSectorRadius());
            turnpoint.setSectorDirection(360);
        }
    }
}

void LoggerController::useRoute(const QString& title) {
    if (title.isEmpty() || !m_logger) return;
    const std::string name = title.toStdString();
    for (const auto& route : m_logger->routes()) {
        if (route->name() != name) continue;
        m_logger->declaration()->useRoute(*route);
        applyTurnpointDefaults();
        m_taskDataSource->setData(m_logger->declaration()->task());
        return;
    }
}

void LoggerController::addWaypointToTask(const QString& title) {
    if (title.isEmpty() || !m_logger) return;
    const std::string description = title.toStdString();
    for (const auto& waypoint : m_logger->waypoints()) {
        if (waypoint->description() != description) continue;
        auto turnpoint = std::make_shared<Turnpoint>(*waypoint);
        turnpoint->setCylinderRadius(KelvoPrefs::defaultCylinderRadius());
        turnpoint->setSectorRadius(KelvoPrefs::defaultSectorRadius());
        turnpoint->setSectorDirection(360);
        Declaration& declaration = *m_logger->declaration();
        if (!declaration.task()) declaration.setTask(std::make_shared<Task>());
        declaration.task()->addTurnpoint(turnpoint, selectedTaskRow());
        m_taskDataSource->setData(declaration.task());
        return;
    }
}

void LoggerController::removeWaypointFromTask() {
    const int row = selectedTaskRow();
    const std::shared_ptr<Task>& task = m_taskDataSource->task();
    if (row < 0 || !task) return;
    task->removeWaypoint(static_cast<std::size_t>(row));
    m_taskDataSource->setData(task);
}

void LoggerController::addRoute() {
    m_routesDataSource->addRoute();
}

void LoggerController::deleteRoute() {
    m_routesDataSource->deleteItem(m_window.routesView->currentIndex());
}

void LoggerController::addWaypoint() {
    QItemSelectionModel* selection = m_window.waypointsView->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    const int row = m_waypointsDataSource->addWaypoint(rows.isEmpty() ? -1 : rows.first().row());
    if (row < 0) return;
    const QModelIndex added = m_waypointsDataSource->index(row, 0);
    selection->select(added, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_window.waypointsView->scrollTo(added);
    setHomePointItems(m_logger ? &m_logger->waypoints() : nullptr);
}

void LoggerController::deleteWaypoint() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_window.waypointsView->selectionModel()->selectedRows())
        rows.push_back(index.row());
    if (!m_waypointsDataSource->deleteRows(rows)) return;
    m_window.waypointsView->selectionModel()->clearSelection();
    setHomePointItems(m_logger ? &m_logger->waypoints() : nullptr);
}

// ---------------------------------------------------------------------------------------
// Import and export

void LoggerController::importFile() {
    loadFileTypes();
    QFileDialog* panel = makeFilePanel(tr("Choose file"));
    panel->setFileMode(QFileDialog::ExistingFile);
    QStringList patterns;
    for (const QString& extension : m_fileTypes)
        patterns << "*." + extension << "*." + extension.toLower();
    panel->setNameFilter(tr("Waypoint files (%1)").arg(patterns.join(' ')));
    QObject::connect(panel, &QDialog::finished, this, [this, panel](int result) {
        importPanelDidEnd(result, panel->selectedFiles().value(0));
    });
    panel->open();
}

void LoggerController::importPanelDidEnd(int returnCode, const QString& file) {
    if (returnCode != QDialog::Accepted || !m_logger) return;
    const auto format =
        FileFactory::shared().getFileInstanceWithExtension(QFileInfo(file).suffix().toStdString());
    if (!format) return;
    const std::string error = format->parseFile(file.toStdString(), m_logger->loggerData());
    if (!error.empty()) {
        setStatus(tr("Import failed: %1").arg(QString::fromStdString(error)));
        return;
    }
    // What the pilot imported replaces the recorder's own: it may be written back.
    LoggerData& data = m_logger->loggerData();
    if (!data.waypoints().empty()) data.markKnown(LoggerPart::Waypoints);
    if (!data.routes().empty()) data.markKnown(LoggerPart::Routes);
    logf("Imported %d waypoints.", int(m_logger->waypoints().size()));
    logf("Imported %d routes.", int(m_logger->routes().size()));
    m_waypointsDataSource->setData(&m_logger->waypoints());
    setHomePointItems(&m_logger->waypoints());
    m_routesDataSource->setRoutes(&m_logger->routes(), &m_logger->waypoints());
    fillUseRoutesMenu();
    fillAddWaypointsMenu();
}

void LoggerController::exportFile() {
    loadFileTypes();
    auto* accessory = new ExportPanelController;
    QFileDialog* panel = makeFilePanel(tr("Save waypoints, Routes and Declaration"), accessory);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    accessory->setSavePanel(panel);
    accessory->setFileTypes(m_fileTypes);
    QObject::connect(panel, &QDialog::finished, this, [this, panel](int result) {
        exportPanelDidEnd(result, panel->selectedFiles().value(0));
    });
    panel->open();
}

void LoggerController::exportPanelDidEnd(int returnCode, const QString& file) {
    if (returnCode != QDialog::Accepted) return;
    const auto format =
        FileFactory::shared().getFileInstanceWithExtension(QFileInfo(file).suffix().toStdString());
    if (!format) return;
    if (!format->makeFile(file.toStdString(), m_logger ? &m_logger->loggerData() : nullptr))
        setStatus(tr("%1 was not written; see the log.").arg(QFileInfo(file).fileName()));
}

// ---------------------------------------------------------------------------------------
// Preferences and update page

void LoggerController::showPrefsWindow() {
    m_preferencesPanel->open();
}

void LoggerController::preferencesPanelDidEnd() {
    KelvoPrefsBasedFormatter::applyTimeZonePreference();
    m_window.viewFlightButton->setVisible(KelvoPrefs::allowInternalDebugFeatures());
    if (!m_logger) return;
    attachLoggerDataToDataSources();
    // The home position follows the notation just chosen; an empty field stays empty.
    for (auto [field, isLatitude] :
         {std::pair{m_window.homeLatitude, true}, std::pair{m_window.homeLongitude, false}}) {
        const std::string text = field->text().toStdString();
        if (trimSpacesAndTabs(text).empty()) continue;
        field->setText(
            isLatitude
                ? KelvoPrefsBasedFormatter::getCoordinateDescription(Latitude::fromString(text))
                : KelvoPrefsBasedFormatter::getCoordinateDescription(Longitude::fromString(text)));
    }
}

void LoggerController::checkForUpdate() {
    QDesktopServices::openUrl(QUrl(kUpdatePage));
}

}  // namespace kelvo
