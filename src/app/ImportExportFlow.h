#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace kelvo {

class LoggerController;

// Import and export of waypoint files by the registered formats, chosen by the file's
// extension alone. An import reads the whole file first, then (when the logger holds
// waypoints or routes) asks whether the file replaces them or is merged in, and tells how
// many waypoints and routes it read; a file with lines that cannot be read is imported
// only when the user takes the rest. An export writes what the format holds.
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
    enum class ImportMode { Replace, Merge, Cancel };
    ImportMode askImportMode(int waypoints, int routes, const QString& file);
    // Whether the rest of a file with lines that cannot be read is imported; the question
    // lists the lines.
    bool askImportDespiteBadLines(const std::vector<std::string>& badLines, const QString& file);
    void showImportedData();

    LoggerController& m_controller;
    QStringList m_fileTypes;
};

}  // namespace kelvo
