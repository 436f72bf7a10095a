#include "app/ExportPanelController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QVBoxLayout>

#include "app/RequiredFileType.h"
#include "files/FileFactory.h"

namespace kelvo {

ExportPanelController::ExportPanelController(QWidget* parent) : QWidget(parent) {
    auto* layout = new QFormLayout(this);
    fileTypeMenu = new QComboBox(this);
    layout->addRow(tr("Format:"), fileTypeMenu);
    auto* contents = new QWidget(this);
    auto* boxes = new QVBoxLayout(contents);
    boxes->setContentsMargins(0, 0, 0, 0);
    waypointsCheckbox = new QCheckBox(tr("Waypoints"), contents);
    routesCheckbox = new QCheckBox(tr("Routes"), contents);
    declarationCheckbox = new QCheckBox(tr("Declaration"), contents);
    infoCheckbox = new QCheckBox(tr("Logger information"), contents);
    for (QCheckBox* box : {waypointsCheckbox, routesCheckbox, declarationCheckbox, infoCheckbox}) {
        // They show what the format holds; the user does not choose.
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        boxes->addWidget(box);
    }
    layout->addRow(tr("Holds:"), contents);
    connect(fileTypeMenu, &QComboBox::activated, this, &ExportPanelController::fileTypeChanged);
}

void ExportPanelController::setSavePanel(QFileDialog* panel) {
    m_savePanel = panel;
}

void ExportPanelController::setFileTypes(const QStringList& fileTypes) {
    if (fileTypes == m_fileTypes) return;
    m_fileTypes = fileTypes;
    fileTypeMenu->clear();
    fileTypeMenu->addItems(m_fileTypes);
    fileTypeMenu->setCurrentIndex(std::min<int>(1, fileTypeMenu->count() - 1));
    typeChanged();
}

void ExportPanelController::fileTypeChanged() {
    typeChanged();
}

QString ExportPanelController::selectedFileType() const {
    return fileTypeMenu->currentText();
}

void ExportPanelController::typeChanged() {
    const QString extension = selectedFileType();
    if (m_savePanel && !extension.isEmpty()) {
        setRequiredFileType(*m_savePanel, extension);
    }
    const auto format = FileFactory::shared().getFileInstanceWithExtension(extension.toStdString());
    const std::pair<QCheckBox*, bool> holds[] = {
        {declarationCheckbox, format && format->canExportDeclaration()},
        {routesCheckbox, format && format->canExportRoutes()},
        {waypointsCheckbox, format && format->canExportWaypoints()},
        {infoCheckbox, format && format->canExportInfo()}};
    for (const auto& [box, held] : holds) {
        box->setChecked(held);
        box->setEnabled(held);
    }
}

}  // namespace kelvo
