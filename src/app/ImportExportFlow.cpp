#include "app/ImportExportFlow.h"

#include <QFileDialog>
#include <QFileInfo>

#include "LoggerAccess/Logger.h"
#include "app/DeclarationForm.h"
#include "app/ExportPanelController.h"
#include "app/LoggerController.h"
#include "app/RoutesDataSource.h"
#include "app/WaypointRouteTaskEditor.h"
#include "app/WaypointsDataSource.h"
#include "base/Log.h"
#include "files/FileFactory.h"

namespace kelvo {

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
    const std::string error = format->parseFile(file.toStdString(), logger->loggerData());
    if (!error.empty()) {
        m_controller.setStatus(tr("Import failed: %1").arg(QString::fromStdString(error)));
        return;
    }
    // What the pilot imported replaces the recorder's own: it may be written back.
    LoggerData& data = logger->loggerData();
    if (!data.waypoints().empty()) data.markKnown(LoggerPart::Waypoints);
    if (!data.routes().empty()) data.markKnown(LoggerPart::Routes);
    logf("Imported %d waypoints.", int(logger->waypoints().size()));
    logf("Imported %d routes.", int(logger->routes().size()));
    m_controller.waypointsDataSource()->setData(&logger->waypoints());
    m_controller.declarationForm().setHomePointItems(&logger->waypoints());
    m_controller.routesDataSource()->setRoutes(&logger->routes(), &logger->waypoints());
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
