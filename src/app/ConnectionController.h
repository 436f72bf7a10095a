#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "LoggerAccess/LoggerDetector.h"
#include "LoggerAccess/Outcome.h"
#include "LoggerAccess/SerialPortDictionary.h"

namespace kelvo {

class Logger;
class LoggerController;
class LoggerFactory;

// The connection to the one logger: owns its driver, fills the logger-type and port menus,
// connects on a worker (a few attempts; the type "Automatic" finds the family that answers
// and the port remembers it) and disconnects, and enables the controls that
// need a connected logger. A recorder whose port went away (unplugged, or its line hung
// up) puts the window back to disconnected; the port stays chosen, marked unavailable.
class ConnectionController : public QObject {
    Q_OBJECT

  public:
    // Display name to the path that the driver's connect() takes, for a connection type
    // (1 serial ports, 2 removable volumes); nothing for a type without ports.
    using PortSource = std::function<std::optional<PortDictionary>(int connectionType)>;
    // Registers drivers from outside the application, after the built-in ones.
    using PluginRegistration = std::function<void(LoggerFactory& factory)>;

    static constexpr int kSerialPorts = 1;  // the connection type of serial-port families
    static constexpr int kConnectAttempts = 5;
    static constexpr double kConnectRetryPause = 2.0;  // [s]

    explicit ConnectionController(LoggerController& controller);
    ~ConnectionController() override;

    // Connects the chosen type on the chosen port, or disconnects the connected logger.
    void connect();
    void threadedConnect();
    void loggerTypeChanged();
    // The user chose a port: the type that answered there last is chosen with it,
    // Automatic for a port never used.
    void serialPortChanged();
    // A serial port or simulator link may have come or gone: the port menu is filled again
    // unless a logger is connected; a connected one whose port went is lost.
    void portsDidChange();
    // After every device operation: a recorder whose port went is lost, and the reason the
    // operation gave stays in the status line.
    void operationDidFinish();
    void loadLoggerTypes();
    void loadSerialPorts();
    // Chooses the type and the port, which the type's port menu lists; false when it does not.
    bool choosePort(const QString& name, const QString& type);
    // The serial ports there now, whatever the chosen type.
    std::optional<PortDictionary> serialPorts() const { return m_portSource(kSerialPorts); }
    // The type that answered on the port last; empty for a port never used.
    static QString rememberedType(const PortEntry& port);
    void setConnectedControls(bool connected);
    // The logger menu is there for a connected logger while no operation runs.
    void updateLoggerMenu();

    // Seams for tests and later panels.
    void setPortSource(PortSource source) { m_portSource = std::move(source); }
    void setPluginRegistration(PluginRegistration registration) {
        m_pluginRegistration = std::move(registration);
    }

    Logger* logger() const { return m_logger.get(); }
    bool isConnected() const;
    // The connected recorder's port is no longer listed, or its device is gone.
    bool recorderIsGone() const;
    // The native file extension of the driver's class.
    const std::string& nativeExtension() const { return m_nativeExtension; }
    bool portsLoaded() const { return m_portsLoaded; }
    const QStringList& loggerTypes() const { return m_loggerTypes; }
    const PortDictionary& loggerLocations() const { return m_loggerLocations; }

  private:
    void disconnect();
    bool automaticChosen() const;
    // Worker: reads the identity of the logger that the connect found and hands it to the
    // window; false (logged, disconnected) when it is not connected after all.
    bool adoptConnectedLogger(LoggerDetector::Result found, const QString& portName);
    // The ports of the chosen type's connection; nothing for a type without ports.
    std::optional<PortDictionary> currentPorts() const;
    void recorderWasLost(const QString& reason);
    void reportFailedConnection(const std::string& path, const Outcome& outcome);
    QString selectedLoggerName() const;
    QString selectedPortName() const;
    void showPortProblems();
    // The key a listed port's speed and type are kept under (see PortEntry).
    QString identityOf(const QString& portName) const;

    LoggerController& m_controller;
    std::unique_ptr<Logger> m_logger;
    std::string m_nativeExtension;
    PortSource m_portSource;
    PluginRegistration m_pluginRegistration;
    PortDictionary m_loggerLocations;
    QStringList m_loggerTypes;
    QString m_connectedPort;
    std::string m_connectedPath;          // empty without a connection
    bool m_connectedPathExisted = false;  // the path was a file when connected
    bool m_portsLoaded = false;
};

}  // namespace kelvo
