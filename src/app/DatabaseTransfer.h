#pragma once

#include <QObject>

namespace kelvo {

class LoggerController;

// The transfer of the recorder's waypoints, routes and declaration: reads them on a worker
// when their tabs are shown or on Reload, and writes what the tables and the declaration
// form hold back to the recorder on Save to Logger, cut to what it keeps when the pilot
// agrees, then tells what the recorder now declares.
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
    // After a disconnect nothing counts as read.
    void forgetDatabase() { m_waypointsLoaded = m_declarationLoaded = false; }

    bool waypointsLoaded() const { return m_waypointsLoaded; }
    bool declarationLoaded() const { return m_declarationLoaded; }

  private:
    void startReading(bool reload);
    // When the data goes beyond what the recorder keeps: asks whether to cut it to fit (and
    // does); false when the pilot said no.
    bool confirmCutToFit();
    void enableSaveToLogger();
    // From a worker: whether the part was read in this connection, judged on the GUI
    // thread; what was read may be saved again.
    bool alreadyRead(const bool& loaded);

    LoggerController& m_controller;
    bool m_waypointsLoaded = false;
    bool m_declarationLoaded = false;
};

}  // namespace kelvo
