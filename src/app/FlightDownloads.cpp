#include "app/FlightDownloads.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUuid>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerFactory.h"
#include "app/ConnectionController.h"
#include "app/DeviceOperationRunner.h"
#include "app/FlightList.h"
#include "app/FlightsDataSource.h"
#include "app/KelvoPrefs.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/ProgressDialog.h"
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

// What became of the flights that were neither written under their own name nor failed.
QStringList placementParts(const LogbookDownload::Summary& summary) {
    QStringList parts;
    if (!summary.identical.empty()) {
        parts << FlightDownloads::tr("%n skipped as identical", nullptr,
                                     int(summary.identical.size()));
    }
    if (!summary.keptBoth.empty()) {
        QStringList names;
        for (const std::string& name : summary.keptBoth) names << QString::fromStdString(name);
        parts << FlightDownloads::tr("%n kept both, as %1", nullptr, int(summary.keptBoth.size()))
                     .arg(names.join(", "));
    }
    if (!summary.skipped.empty()) {
        parts << FlightDownloads::tr("%n skipped by choice", nullptr, int(summary.skipped.size()));
    }
    return parts;
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
        // A taken name is asked about once the flight is there to compare with.
        panel->setOption(QFileDialog::DontConfirmOverwrite);
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
    std::string extension;
    runner.onGui([&] {
        for (int row : m_downloadRows)
            if (const FlightEntry* entry = m_controller.flightsDataSource()->getFlightAtRow(row))
                entries.push_back(*entry);
        folderOrFile = m_filePath.toStdString();
        extension = m_downloadFlightsAsIGC ? "IGC" : m_controller.nativeExtension();
    });
    const auto question = existingFileQuestion();
    LogbookDownload::Summary summary;
    QStringList notPassing;
    for (const FlightEntry& entry : entries) {
        const std::string name = LogbookDownload::fileNameOf(entry, extension);
        const std::string target = entries.size() == 1 ? folderOrFile : folderOrFile + "/" + name;
        const LogbookDownload::Download download =
            logger
                ? LogbookDownload::downloadFlight(*logger, entry, target, m_downloadFlightsSecure,
                                                  !m_downloadFlightsAsIGC, question)
                : LogbookDownload::Download::failed(Outcome::refusal("no recorder"));
        summary.add(name, download);
        if (download.outcome.kind() == Outcome::Kind::Cancelled) break;
        const bool written = download.outcome &&
                             download.placement != LogbookDownload::Placement::Identical &&
                             !download.file.empty();
        if (written && m_downloadFlightsAsIGC) {
            // The file stays, as its G record covers the recorder's own bytes.
            const auto problems = IGCCheck::checkFile(download.file);
            if (!problems.empty()) {
                notPassing << QString::fromStdString(name + " " + problems.front().text());
            }
        }
    }
    runner.onGui([this, &runner, summary, notPassing] {
        runner.removeProgressWindow();
        QStringList failed;
        for (const auto& failure : summary.failed)
            failed << QString::fromStdString(failure.file + " (" + failure.reason + ")");
        QString status = failed.isEmpty() ? tr("Downloaded %n flight(s).", nullptr,
                                               int(summary.downloaded.size()))
                                          : tr("Download failed: %1.").arg(failed.join(", "));
        if (const QStringList parts = placementParts(summary); !parts.isEmpty())
            status += ' ' + parts.join("; ") + '.';
        if (!notPassing.isEmpty()) {
            status += tr(" Warning, would not pass as IGC: %1.").arg(notPassing.join("; "));
        }
        m_controller.setStatus(status);
    });
}

LogbookDownload::ExistingFileQuestion FlightDownloads::existingFileQuestion() {
    return [this](const std::filesystem::path& taken) {
        auto choice = LogbookDownload::ExistingFile::Skip;
        m_controller.runner().onGui([&] {
            const QString path = QString::fromStdString(taken.string());
            choice =
                m_existingFileQuestion ? m_existingFileQuestion(path) : askAboutExistingFile(path);
        });
        return choice;
    };
}

LogbookDownload::ExistingFile FlightDownloads::askAboutExistingFile(const QString& path) {
    using ExistingFile = LogbookDownload::ExistingFile;
    const QString freeName =
        QString::fromStdString(freeNameBeside(path.toStdString()).filename().string());
    QMessageBox box(QMessageBox::Question, tr("File exists"),
                    tr("\"%1\" exists and holds another flight.").arg(QFileInfo(path).fileName()),
                    QMessageBox::NoButton, m_controller.progressPanel());
    box.setInformativeText(
        tr("Replace it, keep both (the new one as \"%1\"), or skip this flight?").arg(freeName));
    QAbstractButton* replace = box.addButton(tr("Replace"), QMessageBox::DestructiveRole);
    QAbstractButton* keepBoth = box.addButton(tr("Keep Both"), QMessageBox::AcceptRole);
    QAbstractButton* skip = box.addButton(tr("Skip"), QMessageBox::RejectRole);
    box.setDefaultButton(static_cast<QPushButton*>(keepBoth));
    box.setEscapeButton(skip);
    box.exec();
    if (box.clickedButton() == replace) return ExistingFile::Replace;
    return box.clickedButton() == keepBoth ? ExistingFile::KeepBoth : ExistingFile::Skip;
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
            },
            existingFileQuestion(),
            [this, &runner] {
                bool gone = false;
                runner.onGui([&] { gone = m_controller.connection().recorderIsGone(); });
                return !gone;
            });
    }
    runner.setBatchPosition(0, 1);
    runner.onGui([this, &runner, folder, outcome] {
        runner.removeProgressWindow();
        refreshLogbookColumn();
        QStringList lines{
            tr("Downloaded %n flight(s) to %1.", nullptr, int(outcome.downloaded.size()))
                .arg(folder),
            tr("Already present: %n.", nullptr, int(outcome.alreadyPresent.size()))};
        for (const QString& part : placementParts(outcome)) lines << part + '.';
        lines << tr("Failed: %n.", nullptr, int(outcome.failed.size()));
        for (const auto& failure : outcome.failed)
            lines << QStringLiteral("%1: %2").arg(QString::fromStdString(failure.file),
                                                  QString::fromStdString(failure.reason));
        if (!outcome.notAttempted.empty()) {
            QStringList names;
            for (const std::string& name : outcome.notAttempted)
                names << QString::fromStdString(name);
            lines << tr("Not attempted, as the recorder went away: %1.").arg(names.join(", "));
        }
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
