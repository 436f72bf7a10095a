#include "app/ImportExportFlow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "LoggerAccess/Logger.h"
#include "app/DeclarationForm.h"
#include "app/ExportPanelController.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/RoutesDataSource.h"
#include "app/WaypointRouteTaskEditor.h"
#include "app/WaypointsDataSource.h"
#include "base/Log.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "geo/Route.h"

namespace kelvo {

namespace {

// Items of the same name are replaced in place, the others appended.
template <class List>
void mergeByName(List& into, const List& from) {
    for (const auto& item : from) {
        const auto same = std::find_if(into.begin(), into.end(), [&item](const auto& held) {
            return held->name() == item->name();
        });
        if (same != into.end()) {
            *same = item;
        } else {
            into.push_back(item);
        }
    }
}

}  // namespace

ImportExportFlow::ImportExportFlow(LoggerController& controller) : m_controller(controller) {}

void ImportExportFlow::loadFileTypes() {
    FileFactory& factory = FileFactory::shared();
    factory.clearRegisteredFiles();
    factory.registerBuiltinFiletypes();
    factory.registerPlugins();
    m_fileTypes.clear();
    for (const std::string& extension : factory.getRegisteredFiles())
        m_fileTypes << QString::fromStdString(extension);
}

void ImportExportFlow::importFile() {
    loadFileTypes();
    QFileDialog* panel = m_controller.makeFilePanel(tr("Choose file"));
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

void ImportExportFlow::importPanelDidEnd(int returnCode, const QString& file) {
    Logger* logger = m_controller.logger();
    if (returnCode != QDialog::Accepted || !logger) return;
    const auto format =
        FileFactory::shared().getFileInstanceWithExtension(QFileInfo(file).suffix().toStdString());
    if (!format) return;
    LoggerData read;
    std::string error = format->parseFile(file.toStdString(), read);
    const std::vector<std::string> badLines = format->badLines();
    if (!error.empty() && !badLines.empty()) {
        if (!askImportDespiteBadLines(badLines, file)) return;
        error = format->parseFile(file.toStdString(), read, ImportFile::EmptyFile::Refused,
                                  ImportFile::BadLines::Skipped);
    }
    if (!error.empty()) {
        m_controller.setStatus(tr("Import failed: %1").arg(QString::fromStdString(error)));
        return;
    }
    LoggerData& data = logger->loggerData();
    const int waypoints = int(read.waypoints().size());
    const int routes = int(read.routes().size());
    const ImportMode mode = data.waypoints().empty() && data.routes().empty()
                                ? ImportMode::Replace
                                : askImportMode(waypoints, routes, file);
    if (mode == ImportMode::Cancel) return;
    if (mode == ImportMode::Merge) {
        mergeByName(data.waypoints(), read.waypoints());
        mergeByName(data.routes(), read.routes());
    } else {
        data.setWaypoints(read.waypoints());
        // A format without routes leaves the logger's routes alone.
        if (format->canExportRoutes()) data.setRoutes(read.routes());
    }
    // What the pilot imported replaces the recorder's own: it may be written back.
    if (!data.waypoints().empty()) data.markKnown(LoggerPart::Waypoints);
    if (!data.routes().empty()) data.markKnown(LoggerPart::Routes);
    logf("Imported %d waypoints.", int(logger->loggerData().waypoints().size()));
    logf("Imported %d routes.", int(logger->loggerData().routes().size()));
    showImportedData();
    QString status = tr("Read %1 waypoints and %2 routes from %3.")
                         .arg(waypoints)
                         .arg(routes)
                         .arg(QFileInfo(file).fileName());
    if (!badLines.empty())
        status += ' ' + tr("Lines skipped as unreadable: %1.").arg(badLines.size());
    m_controller.setStatus(status);
}

bool ImportExportFlow::askImportDespiteBadLines(const std::vector<std::string>& badLines,
                                                const QString& file) {
    constexpr std::size_t kListed = 10;
    QStringList listed;
    for (std::size_t i = 0; i < std::min(badLines.size(), kListed); ++i)
        listed << QString::fromStdString(badLines[i]);
    if (badLines.size() > kListed)
        listed << tr("and %n more", nullptr, int(badLines.size() - kListed));
    QMessageBox box(QMessageBox::Warning, tr("Import"),
                    tr("%1 has lines that cannot be read:\n\n%2\n\nImport the rest of the file "
                       "without them?")
                        .arg(QFileInfo(file).fileName(), listed.join('\n')),
                    QMessageBox::Cancel, &m_controller.window());
    QPushButton* importRest = box.addButton(tr("Import the Rest"), QMessageBox::AcceptRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(box.button(QMessageBox::Cancel)));
    box.exec();
    return box.clickedButton() == importRest;
}

ImportExportFlow::ImportMode ImportExportFlow::askImportMode(int waypoints, int routes,
                                                             const QString& file) {
    QMessageBox box(QMessageBox::Question, tr("Import"),
                    tr("%1 holds %2 waypoints and %3 routes.\n\nReplace the logger's waypoints "
                       "and routes with them, or merge them in (those of the same name are "
                       "replaced, the others added)?")
                        .arg(QFileInfo(file).fileName())
                        .arg(waypoints)
                        .arg(routes),
                    QMessageBox::Cancel, &m_controller.window());
    QPushButton* replace = box.addButton(tr("Replace"), QMessageBox::DestructiveRole);
    QPushButton* merge = box.addButton(tr("Merge"), QMessageBox::AcceptRole);
    box.setDefaultButton(merge);
    box.exec();
    if (box.clickedButton() == replace) return ImportMode::Replace;
    return box.clickedButton() == merge ? ImportMode::Merge : ImportMode::Cancel;
}

void ImportExportFlow::showImportedData() {
    Logger* logger = m_controller.logger();
    m_controller.waypointsDataSource()->setData(&logger->loggerData().waypoints());
    m_controller.declarationForm().setHomePointItems(&logger->loggerData().waypoints());
    m_controller.routesDataSource()->setRoutes(&logger->loggerData().routes(),
                                               &logger->loggerData().waypoints());
    m_controller.waypointRouteTaskEditor().fillTaskMenus();
}

void ImportExportFlow::exportFile() {
    loadFileTypes();
    auto* accessory = new ExportPanelController;
    QFileDialog* panel =
        m_controller.makeFilePanel(tr("Save waypoints, Routes and Declaration"), accessory);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    accessory->setSavePanel(panel);
    accessory->setFileTypes(m_fileTypes);
    QObject::connect(panel, &QDialog::finished, this, [this, panel](int result) {
        exportPanelDidEnd(result, panel->selectedFiles().value(0));
    });
    panel->open();
}

void ImportExportFlow::exportPanelDidEnd(int returnCode, const QString& file) {
    if (returnCode != QDialog::Accepted) return;
    const auto format =
        FileFactory::shared().getFileInstanceWithExtension(QFileInfo(file).suffix().toStdString());
    if (!format) return;
    Logger* logger = m_controller.logger();
    if (!format->makeFile(file.toStdString(), logger ? &logger->loggerData() : nullptr)) {
        m_controller.setStatus(
            tr("%1 was not written; see the log.").arg(QFileInfo(file).fileName()));
    }
}

}  // namespace kelvo
