#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "igc/LogbookDownload.h"

namespace kelvo {

class LoggerController;
class SaveIGCPanelController;
struct FlightEntry;

// Downloads of the listed flights: the save panel for one flight or the folder panel for
// several, Download New Flights into the flights folder, viewing a flight, and the logbook
// column that marks the flights the folder holds. A download never replaces a file
// silently: the same flight is not written again, and for a file of other content the
// user chooses to replace it, keep both or skip the flight.
class FlightDownloads : public QObject {
    Q_OBJECT

  public:
    // Receives the IGC text of a flight and its file name.
    using FlightViewer = std::function<void(const QByteArray& igcText, const QString& name)>;
    // Answers what to do with the file of other content at the path; on the GUI thread.
    using ExistingFileQuestion = std::function<LogbookDownload::ExistingFile(const QString& path)>;

    explicit FlightDownloads(LoggerController& controller);

    // Opens the save panel for one selected flight or the folder panel for several, each
    // with the format and security accessory.
    void downloadFile();
    // The panels' ends: only OK (1) starts the download into the file or folder.
    void savePanelDidEnd(int returnCode, const QString& file,
                         const SaveIGCPanelController& accessory);
    void openPanelDidEnd(int returnCode, const QString& folder,
                         const SaveIGCPanelController& accessory);
    void downloadFlights(const QString& filePath, bool secure, bool asIGC);
    // Starts the download that a panel's end asked for, once the window is key again.
    void startPendingDownload();
    void threadedDownloadFlights();
    // Downloads, as IGC into the flights folder, every listed flight that the folder does
    // not hold yet, behind one progress for the batch, and tells what came of it.
    void downloadNewFlights();
    void threadedDownloadNewFlights();
    // Marks the listed flights that the flights folder holds.
    void refreshLogbookColumn();
    void viewFlight();

    void setFlightViewer(FlightViewer viewer) { m_flightViewer = std::move(viewer); }
    // Replaces the question sheet, for tests.
    void setExistingFileQuestion(ExistingFileQuestion question) {
        m_existingFileQuestion = std::move(question);
    }
    // The summary of the last "Download New Flights".
    const QString& newFlightsSummary() const { return m_newFlightsSummary; }

  private:
    void downloadPanelDidEnd(int returnCode, const QString& target,
                             const SaveIGCPanelController& accessory, const char* logText);
    // The flight as IGC text, downloaded first when the driver holds nothing under the key.
    QByteArray igcTextOfFlight(int key, const FlightEntry& entry);
    // The question for a worker: asked on the GUI thread while the worker waits.
    LogbookDownload::ExistingFileQuestion existingFileQuestion();
    LogbookDownload::ExistingFile askAboutExistingFile(const QString& path);

    LoggerController& m_controller;
    FlightViewer m_flightViewer;
    ExistingFileQuestion m_existingFileQuestion;
    // The pending download.
    QString m_filePath;
    bool m_mustDownloadFlights = false;
    bool m_downloadFlightsSecure = false;
    bool m_downloadFlightsAsIGC = false;
    std::vector<int> m_downloadRows;
    QString m_newFlightsSummary;
};

}  // namespace kelvo
