#pragma once

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kelvo {

// The preferences sheet of the main window. It reads the settings each time it is shown and
// stores them only on OK; Cancel and Defaults store nothing.
class PreferencesController : public QDialog {
    Q_OBJECT

  public:
    explicit PreferencesController(QWidget* parent = nullptr);

    // Rows of displayTimeZone.
    enum TimeZoneRow { GmtRow = 0, SystemZoneRow = 1, ChosenZoneRow = 2 };

    // Loads the controls from the stored settings (called whenever the sheet is shown).
    void windowDidBecomeKey();
    // Fills the zone menu and chooses the zone row for the stored zone name.
    void doTimeZone();
    void okButtonClick();
    void cancelButtonClick();
    void defaultsButtonClick();

    // The name of the zone 0 seconds from GMT.
    static QString gmtZoneName();
    // Every zone name the system knows, sorted case-insensitively, less the entries of the
    // zone database that are no zones.
    static QStringList knownTimeZoneNames();

    QButtonGroup* coordinateNotation = nullptr;
    QButtonGroup* coordinateNegativeNotation = nullptr;
    QButtonGroup* distanceUnit = nullptr;
    QButtonGroup* displayTimeZone = nullptr;
    QLineEdit* defaultStartlineWidth = nullptr;
    QLineEdit* defaultCylinderRadius = nullptr;
    QLineEdit* defaultSectorRadius = nullptr;
    QLineEdit* flightsFolder = nullptr;
    QCheckBox* downloadNewFlightsOnConnect = nullptr;
    QComboBox* timeZonesMenu = nullptr;
    QPushButton* okButton = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString chosenTimeZoneName() const;
};

}  // namespace kelvo
