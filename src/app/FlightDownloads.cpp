#include "app/FlightDownloads.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QUuid>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerFactory.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightList.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/OutcomeText.h"
#include "app/SaveIGCPanelController.h"
#include "base/Log.h"
#include "igc/IGCCheck.h"
#include "igc/Logbook.h"
#include "igc/LogbookDownload.h"

namespace kelvo {

namespace {

// Download panels open in the flights folder once there is one; Download New Flights
// makes it.
void openInFlightsFolder(QFileDialog& panel) {
    const QString folder = KelvoPrefs::flightsFolder();
    if (QDir(folder).exists()) panel.setDirectory(folder);
}

// An IGC file begins with its A record; the native formats of the drivers do not.
bool looksLikeIgc(const Bytes& flight) {
    return !flight.empty() && flight.front() == 'A';
}

QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

FlightDownloads::FlightDownloads(LoggerController& controller) : m_controller(controller) {}

void FlightDownloads::downloadFile() {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    const std::vector<int> rows = m_controller.flightList().selectedFlightRows();
    if (rows.empty()) return;
    auto* accessory = new SaveIGCPanelController;
    accessory->setLogger(logger, QString::fromStdString(m_controller.nativeExtension()));
    if (rows.size() == 1) {
        const FlightEntry* entry = m_controller.flightsDataSource()->getFlightAtRow(rows.front());
        QFileDialog* panel = m_controller.makeFilePanel(tr("Save track file"), accessory);
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
    QFileDialog* panel = m_controller.makeFilePanel(tr("Choose directory"), accessory);
    openInFlightsFolder(*panel);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    accessory->initPanel();
    QObject::connect(panel, &QDialog::finished, this, [this, panel, accessory](int result) {
        openPanelDidEnd(result, panel->selectedFiles().value(0), *accessory);
    });
    panel->open();
}

void FlightDownloads::savePanelDidEnd(int returnCode, const QString& file,
                                      const SaveIGCPanelController& accessory) {
    downloadPanelDidEnd(returnCode, file, accessory, "SavePanelDidEnd: Gonna download one flight.");
}

void FlightDownloads::openPanelDidEnd(int returnCode, const QString& folder,
                                      const SaveIGCPanelController& accessory) {
    downloadPanelDidEnd(returnCode, folder, accessory,
                        "OpenPanelDidEnd: Gonna download some flights.");
}

void FlightDownloads::downloadPanelDidEnd(int returnCode, const QString& target,
                                          const SaveIGCPanelController& accessory,
                                          const char* logText) {
    if (returnCode != QDialog::Accepted || target.isEmpty()) return;
    logLine(logText);
    downloadFlights(target, accessory.isSecure(), accessory.downloadAsIGC());
}

void FlightDownloads::downloadFlights(const QString& filePath, bool secure, bool asIGC) {
    m_filePath = filePath;
    m_downloadFlightsSecure = secure;
    m_downloadFlightsAsIGC = asIGC;
    m_downloadRows = m_controller.flightList().selectedFlightRows();
    m_mustDownloadFlights = true;
    startPendingDownload();
}

void FlightDownloads::startPendingDownload() {
    if (!m_mustDownloadFlights) return;
    m_mustDownloadFlights = false;
    m_controller.runner().start(tr("Downloading flights…"), [this] { threadedDownloadFlights(); });
}

void FlightDownloads::threadedDownloadFlights() {
    DeviceOperationRunner& runner = m_controller.runner();
    Logger* logger = m_controller.logger();
    std::vector<FlightEntry> entries;
    std::string folderOrFile;
    runner.onGui([&] {
        for (int row : m_downloadRows)
            if (const FlightEntry* entry = m_controller.flightsDataSource()->getFlightAtRow(row))
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
        const Outcome outcome = logger && key
                                    ? logger->readFile(target, *key, m_downloadFlightsSecure,
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
    const int count = int(entries.size());
    runner.onGui([this, &runner, count, failed, notPassing] {
        runner.removeProgressWindow();
        QString status = failed.isEmpty() ? tr("Downloaded %n flight(s).", nullptr, count)
                                          : tr("Download failed: %1.").arg(failed.join(", "));
        if (!notPassing.isEmpty()) {
            status += tr(" Warning, would not pass as IGC: %1.").arg(notPassing.join("; "));
        }
        m_controller.setStatus(status);
    });
}

void FlightDownloads::downloadNewFlights() {
    if (!m_controller.logger() || !m_controller.flightList().directoryLoaded()) return;
    m_controller.runner().start(tr("Downloading new flights…"),
                                [this] { threadedDownloadNewFlights(); });
}

void FlightDownloads::threadedDownloadNewFlights() {
    DeviceOperationRunner& runner = m_controller.runner();
    Logger* logger = m_controller.logger();
    QString folder;
    runner.onGui([&] {
        folder = KelvoPrefs::flightsFolder();
        QDir().mkpath(folder);
    });
    LogbookDownload::Summary outcome;
    if (logger) {
        outcome = LogbookDownload::downloadNewFlights(
            *logger, folder.toStdString(), logger->supportsSecure(),
            [&runner](std::size_t flight, std::size_t count) {
                runner.setBatchPosition(flight, count);
            });
    }
    runner.setBatchPosition(0, 1);
    runner.onGui([this, &runner, folder, outcome] {
        runner.removeProgressWindow();
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
        m_controller.setStatus(lines.first());
        auto* box = new QMessageBox(
            outcome.failed.empty() ? QMessageBox::Information : QMessageBox::Warning,
            tr("Download New Flights"), m_newFlightsSummary, QMessageBox::Ok,
            &m_controller.window());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
}

void FlightDownloads::refreshLogbookColumn() {
    m_controller.flightsDataSource()->setLogbookFileNames(
        Logbook::flightFileNames(KelvoPrefs::flightsFolder().toStdString()));
}

QByteArray FlightDownloads::igcTextOfFlight(int key, const FlightEntry& entry) {
    Logger& logger = *m_controller.logger();
    const Bytes* stored = logger.loggerData().flightWithKey(key);
    if (!stored) {
        // A driver that keeps nothing (Flarm) leaves only the file it wrote.
        const QTemporaryDir folder;
        const QString target =
            folder.filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + ".IGC");
        logger.readFile(target.toStdString(), key, false, true, &entry);
        stored = logger.loggerData().flightWithKey(key);
        if (!stored) return readWholeFile(target);
    }
    if (looksLikeIgc(*stored))
        return QByteArray(reinterpret_cast<const char*>(stored->data()),
                          static_cast<qsizetype>(stored->size()));
    return QByteArray::fromStdString(
        LoggerFactory::shared().igcTextOfFlight(*stored, m_controller.nativeExtension()));
}

void FlightDownloads::viewFlight() {
    Logger* logger = m_controller.logger();
    if (!logger) return;
    for (int row : m_controller.flightList().selectedFlightRows()) {
        const FlightEntry* entry = m_controller.flightsDataSource()->getFlightAtRow(row);
        const std::optional<int> key = entry ? entry->key() : std::nullopt;
        if (!key) continue;
        const QByteArray igc = igcTextOfFlight(*key, *entry);
        if (m_flightViewer)
            m_flightViewer(igc, QString::fromStdString(entry->filename.value_or("")));
    }
}

}  // namespace kelvo
