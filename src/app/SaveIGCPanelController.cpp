#include "app/SaveIGCPanelController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/RequiredFileType.h"
#include "base/Log.h"

namespace kelvo {

SaveIGCPanelController::SaveIGCPanelController(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    fileFormatBox = new QWidget(this);
    auto* formats = new QVBoxLayout(fileFormatBox);
    formats->setContentsMargins(0, 0, 0, 0);
    fileFormatGroup = new QButtonGroup(this);
    auto* ownFormat = new QRadioButton(tr("Recorder's own format"), fileFormatBox);
    auto* igc = new QRadioButton(tr("IGC file"), fileFormatBox);
    fileFormatGroup->addButton(ownFormat, OwnFormatRow);
    fileFormatGroup->addButton(igc, IGCRow);
    formats->addWidget(ownFormat);
    formats->addWidget(igc);
    layout->addWidget(fileFormatBox);

    secureCheckBox = new QCheckBox(tr("Download with security record"), this);
    layout->addWidget(secureCheckBox);
    redWarningText =
        new QLabel(tr("Without the security record the flight cannot be validated for competitions "
                      "or badges."),
                   this);
    redWarningText->setWordWrap(true);
    redWarningText->setStyleSheet(QStringLiteral("color: #c00000;"));
    layout->addWidget(redWarningText);

    connect(fileFormatGroup, &QButtonGroup::idClicked, this,
            &SaveIGCPanelController::formatButtonsClicked);
    connect(secureCheckBox, &QCheckBox::clicked, this, &SaveIGCPanelController::secureCheckClicked);
}

SaveIGCPanelController::~SaveIGCPanelController() {
    logLine("");
    logLine("Dealloc SaveIGCPanelController.");
    logLine("");
}

void SaveIGCPanelController::setLogger(const Logger* logger,
                                       const QString& nativeTrackFileExtension) {
    m_capabilities = logger ? std::optional(logger->capabilities()) : std::nullopt;
    m_nativeExtension = nativeTrackFileExtension;
}

void SaveIGCPanelController::setSavePanel(QFileDialog* panel) {
    m_savePanel = panel;
}

void SaveIGCPanelController::requireFileType(const QString& extension) {
    m_requiredFileType = extension;
    if (m_savePanel) setRequiredFileType(*m_savePanel, extension);
}

void SaveIGCPanelController::initPanel() {
    if (m_capabilities) {
        const bool igc = m_capabilities->supportsIGCFile;
        fileFormatGroup->button(igc ? IGCRow : OwnFormatRow)->setChecked(true);
        requireFileType(igc ? QStringLiteral("IGC") : m_nativeExtension);
        fileFormatBox->setVisible(igc && m_capabilities->hasNativeFile);
        secureCheckBox->setVisible(m_capabilities->supportsSecure);
        secureCheckBox->setChecked(m_capabilities->supportsSecure);
    }
    secureCheckClicked();
}

void SaveIGCPanelController::formatButtonsClicked() {
    if (!m_capabilities || !m_savePanel) return;
    requireFileType(fileFormatGroup->checkedId() != OwnFormatRow ? QStringLiteral("IGC")
                                                                 : m_nativeExtension);
}

void SaveIGCPanelController::secureCheckClicked() {
    redWarningText->setVisible(!secureCheckBox->isChecked());
}

bool SaveIGCPanelController::isSecure() const {
    return secureCheckBox->isChecked();
}

bool SaveIGCPanelController::downloadAsIGC() const {
    if (!m_capabilities) return false;
    if (!m_capabilities->hasNativeFile) return m_capabilities->supportsIGCFile;
    if (!m_capabilities->supportsIGCFile) return false;
    return fileFormatGroup->checkedId() == IGCRow;
}

}  // namespace kelvo
