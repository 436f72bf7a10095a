#include "app/ConnectionController.h"

#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerDetector.h"
#include "LoggerAccess/LoggerFactory.h"
#include "LoggerAccess/VolumeDictionary.h"
#include "app/ConnectionAdvice.h"
#include "app/DatabaseTransfer.h"
#include "app/DeclarationForm.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightList.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/MenuItems.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo {

namespace {

// The name earlier versions listed a port by, and kept its speed and type under: the file
// name of its device or simulator link.
QString formerNameOf(const PortEntry& port) {
    return QFileInfo(QString::fromStdString(port.path)).fileName();
}

std::optional<PortDictionary> platformPorts(int connectionType) {
    switch (connectionType) {
        case ConnectionController::kSerialPorts:
            return SerialPortDictionary::serialPortDictionary();
        case 2:
            return VolumeDictionary::volumeDictionary();
        default:
            return std::nullopt;
    }
}

}  // namespace

ConnectionController::ConnectionController(LoggerController& controller)
    : m_controller(controller), m_portSource(platformPorts) {}

ConnectionController::~ConnectionController() = default;

bool ConnectionController::isConnected() const {
    return m_logger && m_logger->stillConnected();
}

QString ConnectionController::selectedLoggerName() const {
    return m_controller.window().loggerTypesMenu->currentText();
}

QString ConnectionController::selectedPortName() const {
    // An unavailable port's item carries the port's name, its text says it is unavailable.
    const QComboBox* menu = m_controller.window().serialPortsMenu;
    const QVariant name = menu->currentData();
    return name.isValid() ? name.toString() : menu->currentText();
}

void ConnectionController::connect() {
    if (!m_portsLoaded) loadSerialPorts();
    m_controller.declarationForm().loadGliderClassDescriptions();
    if (isConnected()) return disconnect();
    if (!m_loggerLocations.contains(selectedPortName().toStdString())) {
        m_controller.setStatus(tr("%1 is not there now: plug the recorder in, or choose another "
                                  "port.")
                                   .arg(selectedPortName()));
        return;
    }
    m_controller.setStatus({});
    m_logger.reset();
    m_nativeExtension.clear();
    const QString task = automaticChosen()
                             ? tr("Looking for a recorder on %1…").arg(selectedPortName())
                             : tr("Connecting to the %1…").arg(selectedLoggerName());
    m_controller.runner().start(task, [this] { threadedConnect(); });
}

bool ConnectionController::automaticChosen() const {
    return LoggerDetector::isAutomatic(selectedLoggerName().toStdString());
}

void ConnectionController::disconnect() {
    m_connectedPath.clear();
    m_controller.showInfoTab();
    m_logger->disconnect();
    m_controller.flightList().forgetDirectory();
    m_controller.databaseTransfer().forgetDatabase();
    setConnectedControls(false);
    m_controller.window().clearFlightsButton->setEnabled(false);
    m_controller.clearLoggerData();
    m_controller.setStatus(tr("Disconnected."));
}

void ConnectionController::threadedConnect() {
    DeviceOperationRunner& runner = m_controller.runner();
    QString portName;
    std::string typeName;
    std::string path;
    int rememberedSpeed = 0;
    runner.onGui([&] {
        portName = selectedPortName();
        typeName = selectedLoggerName().toStdString();
        const auto location = m_loggerLocations.find(portName.toStdString());
        if (location == m_loggerLocations.end()) return;
        path = location->second.path;
        rememberedSpeed = KelvoPrefs::lineSpeedForPort(
            QString::fromStdString(location->second.identity), formerNameOf(location->second));
    });

    const LoggerDetector detector(LoggerFactory::shared());
    Outcome outcome;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        LoggerDetector::Result found = detector.connect(typeName, path, rememberedSpeed);
        outcome = found.outcome;
        if (outcome && adoptConnectedLogger(std::move(found), portName)) break;
        if (!outcome && !outcome.retryable()) break;
        delaySeconds(kConnectRetryPause);
    }

    runner.onGui([this, &runner, outcome, path, portName] {
        m_controller.showInfoTab();
        runner.removeProgressWindow();
        if (isConnected()) {
            m_connectedPort = portName;
            m_connectedPath = path;
            m_connectedPathExisted = QFileInfo::exists(QString::fromStdString(path));
            setConnectedControls(true);
            m_logger->setKeyspanAccelleration(KelvoPrefs::keyspanAcceleration());
            // The type menu names the family that answered.
            m_controller.setStatus(
                tr("Connected to the %1 on %2.").arg(selectedLoggerName(), portName));
            return;
        }
        m_logger.reset();
        m_controller.attachLoggerDataToDataSources();
        reportFailedConnection(path, outcome);
    });
}

bool ConnectionController::adoptConnectedLogger(LoggerDetector::Result found,
                                                const QString& portName) {
    DeviceOperationRunner& runner = m_controller.runner();
    Logger& logger = *found.logger;
    logger.setProgressHandler(runner.progressHandler());
    if (const Outcome info = logger.readInfo(); !info) {
        logf("The recorder's identity could not be read: %s", info.reason().c_str());
    }
    const bool connected = logger.stillConnected();
    const int lineSpeed = logger.lineSpeed();
    runner.onGui([&, connected, lineSpeed] {
        const LoggerDescriptor* type =
            LoggerFactory::shared().loggerClassWithName(found.loggerName);
        m_nativeExtension = type ? type->nativeExtension : "";
        m_logger = std::move(found.logger);
        m_controller.attachLoggerDataToDataSources();
        if (!connected) return;
        const QString family = QString::fromStdString(found.loggerName);
        m_controller.window().connectButton->setText(tr("Disconnect"));
        m_controller.window().loggerTypesMenu->setCurrentText(family);
        KelvoPrefs::setLastUsedSerialPortName(portName);
        KelvoPrefs::setLineSpeedForPort(identityOf(portName), lineSpeed);
        KelvoPrefs::setLastUsedLoggerName(family);
        KelvoPrefs::setLoggerTypeForPort(identityOf(portName), family);
    });
    if (connected) return true;
    logLine("Connect was not so very succesful ...");
    if (m_logger->loggerData().loggerInfo().empty())
        logLine("because logger data contains no logger data.");
    m_logger->disconnect();
    return false;
}

void ConnectionController::reportFailedConnection(const std::string& path, const Outcome& outcome) {
    const bool refused = !outcome && !outcome.retryable();
    const QString recorder =
        automaticChosen() ? tr("a recorder") : tr("the %1").arg(selectedLoggerName());
    const QString text = refused ? tr("Could not connect to %1: %2")
                                       .arg(recorder, QString::fromStdString(outcome.reason()))
                                 : tr("Could not connect to %1 on %2 after %3 attempts.")
                                       .arg(recorder, selectedPortName())
                                       .arg(kConnectAttempts);
    // The driver says what failed; the advice what to do about it.
    const QString advice = refused ? ConnectionAdvice::portAccessProblem(path)
                                   : ConnectionAdvice::afterFailedConnect(path);
    m_controller.setStatus(advice.isEmpty() ? text : text + QLatin1Char(' ') + advice);
}

void ConnectionController::setConnectedControls(bool connected) {
    LoggerWindow& w = m_controller.window();
    w.connectButton->setText(connected ? tr("Disconnect") : tr("Connect"));
    w.serialPortsMenu->setEnabled(!connected);
    w.loggerTypesMenu->setEnabled(!connected);
    if (!connected) {
        w.saveToLoggerButton->setEnabled(false);
        w.saveToLoggerAction->setEnabled(false);
        w.downloadNewFlightsButton->setEnabled(false);
    }
    updateLoggerMenu();
}

void ConnectionController::updateLoggerMenu() {
    m_controller.window().loggerMenuItem->setEnabled(
        !m_controller.runner().progressWindowVisible() && isConnected());
}

void ConnectionController::loadLoggerTypes() {
    const QString remembered = selectedLoggerName();
    LoggerFactory& factory = LoggerFactory::shared();
    factory.clearRegisteredLoggers();
    factory.registerBuiltinLoggers();
    factory.registerPlugins();
    if (m_pluginRegistration) m_pluginRegistration(factory);
    QStringList names;
    for (const std::string& name : factory.registeredLoggers())
        names << QString::fromStdString(name);
    // Automatic first: the type for a port never used before.
    m_loggerTypes = QStringList{LoggerDetector::kAutomatic} + sortedCaseInsensitively(names);
    replaceItems(m_controller.window().loggerTypesMenu, m_loggerTypes,
                 {remembered, KelvoPrefs::lastUsedLoggerName()});
}

std::optional<PortDictionary> ConnectionController::currentPorts() const {
    // Automatic looks for the families on serial ports.
    if (automaticChosen()) return m_portSource(kSerialPorts);
    const LoggerDescriptor* type =
        LoggerFactory::shared().loggerClassWithName(selectedLoggerName().toStdString());
    return m_portSource(type ? type->connectionType : 0);
}

void ConnectionController::loadSerialPorts() {
    LoggerWindow& w = m_controller.window();
    const QString remembered = selectedPortName();
    const std::optional<PortDictionary> ports = currentPorts();
    if (!ports) return;
    m_loggerLocations = *ports;
    QStringList names;
    for (const auto& [name, path] : m_loggerLocations) names << QString::fromStdString(name);
    replaceItems(w.serialPortsMenu, sortedCaseInsensitively(names),
                 {remembered, KelvoPrefs::lastUsedSerialPortName()});
    showPortProblems();
    // The port the user chose stays chosen while it is away.
    if (!remembered.isEmpty() && !names.contains(remembered)) {
        const QSignalBlocker blocker(w.serialPortsMenu);
        w.serialPortsMenu->addItem(tr("%1 (unavailable)").arg(remembered), remembered);
        w.serialPortsMenu->setCurrentIndex(w.serialPortsMenu->count() - 1);
    }
    m_portsLoaded = w.serialPortsMenu->count() > 0;
    w.connectButton->setEnabled(m_portsLoaded);
}

// A port this user may not open says so in the menu; its item keeps the port's name.
void ConnectionController::showPortProblems() {
    QComboBox* menu = m_controller.window().serialPortsMenu;
    const QSignalBlocker blocker(menu);
    for (int i = 0; i < menu->count(); ++i) {
        const auto port = m_loggerLocations.find(menu->itemText(i).toStdString());
        if (port == m_loggerLocations.end() || port->second.problem.empty()) continue;
        menu->setItemData(i, menu->itemText(i));
        menu->setItemText(i, QStringLiteral("%1 (%2)").arg(
                                 menu->itemText(i), QString::fromStdString(port->second.problem)));
    }
}

QString ConnectionController::identityOf(const QString& portName) const {
    const auto port = m_loggerLocations.find(portName.toStdString());
    return port == m_loggerLocations.end() ? portName
                                           : QString::fromStdString(port->second.identity);
}

QString ConnectionController::rememberedType(const PortEntry& port) {
    return KelvoPrefs::loggerTypeForPort(QString::fromStdString(port.identity), formerNameOf(port));
}

bool ConnectionController::choosePort(const QString& name, const QString& type) {
    m_controller.window().loggerTypesMenu->setCurrentText(type);  // whose ports the menu lists
    loadSerialPorts();
    QComboBox* menu = m_controller.window().serialPortsMenu;
    int index = menu->findData(name);
    if (index < 0) index = menu->findText(name);
    if (index < 0 || !m_loggerLocations.contains(name.toStdString())) return false;
    menu->setCurrentIndex(index);
    serialPortChanged();
    return true;
}

void ConnectionController::loggerTypeChanged() {
    loadSerialPorts();
}

void ConnectionController::serialPortChanged() {
    QComboBox* types = m_controller.window().loggerTypesMenu;
    const auto port = m_loggerLocations.find(selectedPortName().toStdString());
    const int remembered =
        port == m_loggerLocations.end() ? -1 : types->findText(rememberedType(port->second));
    types->setCurrentIndex(std::max(remembered, 0));  // the first item is Automatic
}

void ConnectionController::portsDidChange() {
    // The menu is locked while connected; an operation may be reading the chosen port.
    if (m_controller.runner().isOperationRunning()) return;
    if (!isConnected()) return loadSerialPorts();
    if (recorderIsGone()) recorderWasLost(tr("The recorder on %1 went away.").arg(m_connectedPort));
}

void ConnectionController::operationDidFinish() {
    if (isConnected() && recorderIsGone()) {
        recorderWasLost(m_controller.window().statusLine->text() + QLatin1Char(' ') +
                        tr("The recorder on %1 is gone.").arg(m_connectedPort));
    }
}

bool ConnectionController::recorderIsGone() const {
    if (m_connectedPath.empty()) return false;
    const std::optional<PortDictionary> ports = currentPorts();
    const bool listed = !ports || ports->contains(m_connectedPort.toStdString());
    return !listed ||
           (m_connectedPathExisted && !QFileInfo::exists(QString::fromStdString(m_connectedPath)));
}

void ConnectionController::recorderWasLost(const QString& reason) {
    logf("The recorder on %s is lost.", m_connectedPath.c_str());
    disconnect();
    loadSerialPorts();
    m_controller.setStatus(reason + QLatin1Char(' ') + tr("Plug it in and connect again."));
}

}  // namespace kelvo
