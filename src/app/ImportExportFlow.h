#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace kelvo {

class LoggerController;

// Import and export of waypoint files by the registered formats, chosen by the file's
// extension alone: an import replaces the driver's waypoints and routes, an export writes
// them with the declaration.
class ImportExportFlow : public QObject {
    Q_OBJECT

  public:
    explicit ImportExportFlow(LoggerController& controller);

    void importFile();
    void importPanelDidEnd(int returnCode, const QString& file);
    void exportFile();
    void exportPanelDidEnd(int returnCode, const QString& file);
    // The extensions of the registered formats, registered afresh.
    void loadFileTypes();

    const QStringList& fileTypes() const { return m_fileTypes; }

  private:
    LoggerController& m_controller;
    QStringList m_fileTypes;
};

}  // namespace kelvo
