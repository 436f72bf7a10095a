#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

#include "LoggerAccess/Logger.h"

class QButtonGroup;
class QCheckBox;
class QFileDialog;
class QLabel;

namespace kelvo {

// The accessory of the flight download panels (save one flight, choose a folder for
// several): the choice between the recorder's own format and IGC, and the security check
// box with its warning. The driver's capabilities decide what the panel offers.
class SaveIGCPanelController : public QWidget {
    Q_OBJECT

  public:
    enum FormatRow { OwnFormatRow = 0, IGCRow = 1 };

    explicit SaveIGCPanelController(QWidget* parent = nullptr);
    ~SaveIGCPanelController() override;

    // The driver (its capabilities are copied) and its class's native track extension;
    // null for none.
    void setLogger(const Logger* logger, const QString& nativeTrackFileExtension);
    // The panel whose required file type follows the format choice; not owned, null for
    // none (the folder panel gets none).
    void setSavePanel(QFileDialog* panel);

    // Called each time a download panel opens: IGC where the driver offers it, the format
    // choice only where it offers both, the security box on where it is supported.
    void initPanel();
    void formatButtonsClicked();
    void secureCheckClicked();

    bool isSecure() const;
    // Whether the flights are to be written as IGC: a driver with only one format
    // answers for that format, a driver with both by the chosen row.
    bool downloadAsIGC() const;
    // The extension the panel requires ("IGC" or the native one); empty before initPanel.
    const QString& requiredFileType() const { return m_requiredFileType; }

    QWidget* fileFormatBox;
    QButtonGroup* fileFormatGroup;  // ids: FormatRow
    QLabel* redWarningText;
    QCheckBox* secureCheckBox;

  private:
    void requireFileType(const QString& extension);

    std::optional<LoggerCapabilities> m_capabilities;
    QString m_nativeExtension;
    QPointer<QFileDialog> m_savePanel;
    QString m_requiredFileType;
};

}  // namespace kelvo
