#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFileDialog;

namespace kelvo {

// The accessory of the export panel: the menu of registered file formats, whose choice
// becomes the panel's required file type, and four check boxes checked and enabled by what the
// chosen format can hold. The boxes only inform; the format writes what it writes.
class ExportPanelController : public QWidget {
    Q_OBJECT

  public:
    explicit ExportPanelController(QWidget* parent = nullptr);

    // Not owned; null for none.
    void setSavePanel(QFileDialog* panel);
    // The same list again changes nothing. Otherwise the menu shows the extensions in
    // order and selects the second one (the only one when there is one).
    void setFileTypes(const QStringList& fileTypes);
    const QStringList& fileTypes() const { return m_fileTypes; }
    void fileTypeChanged();
    void typeChanged();
    // The extension chosen in the menu; empty when there is none.
    QString selectedFileType() const;

    QComboBox* fileTypeMenu;
    QCheckBox* declarationCheckbox;
    QCheckBox* routesCheckbox;
    QCheckBox* infoCheckbox;
    QCheckBox* waypointsCheckbox;

  private:
    QStringList m_fileTypes;
    QPointer<QFileDialog> m_savePanel;
};

}  // namespace kelvo
