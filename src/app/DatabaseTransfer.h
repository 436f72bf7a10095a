#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

namespace kelvo {

class Logger;
class LoggerController;
struct DeclarationVerification;

// The transfer of the recorder's waypoints, routes and declaration: reads them on a worker
// when their tabs are shown or on Reload, and writes what the tables and the declaration
// form hold back to the recorder on Save to Logger, after the pilot agreed to everything the
// recorder will not keep as it stands, then tells what the recorder now declares. The editors
// follow the limits of the recorder connected.
class DatabaseTransfer : public QObject {
    Q_OBJECT

  public:
    explicit DatabaseTransfer(LoggerController& controller);

    // Reads what was not read yet in this connection, when a database tab is shown.
    void showDatabaseTab();
    // Reads everything again.
    void loadDatabase();
    // The worker: reads the waypoints, routes and declaration (all again with reload), then
    // fills the task menus and ends the progress.
    void threadedLoadDatabase(bool reload);
    void readWaypoints(bool reload);
    void readDeclaration(bool reload);
    void saveToLogger();
    void threadedSaveDatabase();
    // After a disconnect nothing counts as read, and nothing is limited.
    void forgetDatabase();
    // What Save to Logger would change or drop, one line each; empty when nothing.
    QStringList unkeptChanges() const;

    bool waypointsLoaded() const { return m_waypointsLoaded; }
    bool declarationLoaded() const { return m_declarationLoaded; }

  private:
    void startReading(bool reload);
    // When the recorder will not keep everything as it stands: lists it all and asks once
    // whether to write so, cutting what goes beyond its limits; false when the pilot said no.
    bool confirmUnkeptChanges();
    void applyLimits();
    void enableSaveToLogger();
    // The status after a write: what was written, how the declaration was verified, and
    // whether the recorder was restarted for it.
    static QString savedText(const Logger& logger, const DeclarationVerification& verification);
    // From a worker: whether the part was read in this connection, judged on the GUI
    // thread; what was read may be saved again.
    bool alreadyRead(const bool& loaded);

    LoggerController& m_controller;
    bool m_waypointsLoaded = false;
    bool m_declarationLoaded = false;
    // The names the recorder gave its routes: a recorder that keeps none gives these back.
    QSet<QString> m_routeNamesAsRead;
};

}  // namespace kelvo
