#include "app/PreferencesController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "app/KelvoPrefs.h"
#include "base/Beep.h"
#include "base/Log.h"
#include "base/Text.h"

namespace kelvo {

namespace {

// A titled box of radio buttons whose ids are their rows.
QButtonGroup* addRadioGroup(QWidget* owner, QLayout* layout, const QString& title,
                            const QStringList& rows) {
    auto* box = new QGroupBox(title, owner);
    auto* boxLayout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(owner);
    for (int row = 0; row < rows.size(); ++row) {
        auto* button = new QRadioButton(rows[row], box);
        group->addButton(button, row);
        boxLayout->addWidget(button);
    }
    layout->addWidget(box);
    return group;
}

// Checks the row, or no row at all for a value that has none.
void selectRow(QButtonGroup* group, int row) {
    if (QAbstractButton* button = group->button(row)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* each : group->buttons()) each->setChecked(false);
    group->setExclusive(true);
}

QLineEdit* addNumberField(QWidget* owner, QFormLayout* form, const QString& label) {
    auto* field = new QLineEdit(owner);
    field->setValidator(new QIntValidator(0, std::numeric_limits<int>::max(), field));
    form->addRow(label, field);
    return field;
}

int integerValue(const QLineEdit* field) {
    const long long value = leadingInteger(field->text().toStdString());
    return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

}  // namespace

PreferencesController::PreferencesController(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Preferences"));
    setWindowModality(Qt::WindowModal);

    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    layout->addLayout(groups);
    coordinateNotation = addRadioGroup(
        this, groups, tr("Coordinates"),
        {tr("Decimal degrees"), tr("Degrees, decimal minutes"), tr("Degrees, minutes, seconds")});
    coordinateNegativeNotation = addRadioGroup(this, groups, tr("South and west"),
                                               {tr("Hemisphere letter (S, W)"), tr("Sign (-)")});
    distanceUnit = addRadioGroup(this, groups, tr("Distances"),
                                 {tr("Kilometres"), tr("Statute miles"), tr("Nautical miles")});

    auto* taskBox = new QGroupBox(tr("New turnpoints"), this);
    auto* form = new QFormLayout(taskBox);
    defaultStartlineWidth = addNumberField(this, form, tr("Start and finish line width:"));
    defaultCylinderRadius = addNumberField(this, form, tr("Cylinder radius (m):"));
    defaultSectorRadius = addNumberField(this, form, tr("Sector radius (m):"));
    layout->addWidget(taskBox);

    auto* folderForm = new QFormLayout;
    flightsFolder = new QLineEdit(this);
    folderForm->addRow(tr("Flights folder:"), flightsFolder);
    layout->addLayout(folderForm);
    downloadNewFlightsOnConnect =
        new QCheckBox(tr("Download new flights when a recorder is connected"), this);
    layout->addWidget(downloadNewFlightsOnConnect);

    auto* zoneLayout = new QHBoxLayout;
    displayTimeZone = addRadioGroup(this, zoneLayout, tr("Show times in"),
                                    {tr("GMT"), tr("System time zone"), tr("This time zone:")});
    timeZonesMenu = new QComboBox(this);
    zoneLayout->addWidget(timeZonesMenu, 0, Qt::AlignBottom);
    layout->addLayout(zoneLayout);

    auto* buttons = new QDialogButtonBox(this);
    okButton = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    QPushButton* defaults = buttons->addButton(QDialogButtonBox::RestoreDefaults);
    layout->addWidget(buttons);
    connect(okButton, &QPushButton::clicked, this, &PreferencesController::okButtonClick);
    connect(cancel, &QPushButton::clicked, this, &PreferencesController::cancelButtonClick);
    connect(defaults, &QPushButton::clicked, this, &PreferencesController::defaultsButtonClick);
}

void PreferencesController::showEvent(QShowEvent* event) {
    windowDidBecomeKey();
    QDialog::showEvent(event);
}

QString PreferencesController::gmtZoneName() {
    return QString::fromUtf8(QTimeZone::utc().id());
}

QStringList PreferencesController::knownTimeZoneNames() {
    static const QStringList notZones = {QStringLiteral("+VERSION"), QStringLiteral("posixrules"),
                                         QStringLiteral("zone.tab")};
    QStringList names;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        const QString name = QString::fromUtf8(id);
        if (!notZones.contains(name)) names << name;
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

void PreferencesController::windowDidBecomeKey() {
    doTimeZone();
    selectRow(coordinateNotation, KelvoPrefs::coordinateNotation());
    selectRow(coordinateNegativeNotation, KelvoPrefs::coordinateNegativeNotation());
    selectRow(distanceUnit, KelvoPrefs::distanceUnit());
    defaultStartlineWidth->setText(QString::number(KelvoPrefs::defaultStartlineWidth()));
    defaultCylinderRadius->setText(QString::number(KelvoPrefs::defaultCylinderRadius()));
    defaultSectorRadius->setText(QString::number(KelvoPrefs::defaultSectorRadius()));
    flightsFolder->setText(KelvoPrefs::flightsFolder());
    downloadNewFlightsOnConnect->setChecked(KelvoPrefs::downloadNewFlightsOnConnect());
}

void PreferencesController::doTimeZone() {
    timeZonesMenu->clear();
    timeZonesMenu->addItems(knownTimeZoneNames());
    const QString stored = KelvoPrefs::timeZoneName();
    const int index = timeZonesMenu->findText(stored);
    if (index >= 0) timeZonesMenu->setCurrentIndex(index);

    if (stored == gmtZoneName())
        selectRow(displayTimeZone, GmtRow);
    else if (stored == QString::fromUtf8(QTimeZone::systemTimeZoneId()))
        selectRow(displayTimeZone, SystemZoneRow);
    else
        selectRow(displayTimeZone, ChosenZoneRow);
}

QString PreferencesController::chosenTimeZoneName() const {
    switch (displayTimeZone->checkedId()) {
        case GmtRow:
            return gmtZoneName();
        case ChosenZoneRow: {
            const QString name = timeZonesMenu->currentText();
            // An unknown name stores nothing, so that the system's zone applies.
            return QTimeZone::isTimeZoneIdAvailable(name.toUtf8()) ? name : QString();
        }
        default:
            return QString::fromUtf8(QTimeZone::systemTimeZoneId());
    }
}

void PreferencesController::okButtonClick() {
    bool written = KelvoPrefs::setCoordinateNotation(coordinateNotation->checkedId());
    written &= KelvoPrefs::setCoordinateNegativeNotation(coordinateNegativeNotation->checkedId());
    written &= KelvoPrefs::setDistanceUnit(distanceUnit->checkedId());
    written &= KelvoPrefs::setDefaultStartlineWidth(integerValue(defaultStartlineWidth));
    written &= KelvoPrefs::setDefaultSectorRadius(integerValue(defaultSectorRadius));
    written &= KelvoPrefs::setDefaultCylinderRadius(integerValue(defaultCylinderRadius));
    written &= KelvoPrefs::setTimeZoneName(chosenTimeZoneName());
    written &= KelvoPrefs::setFlightsFolder(flightsFolder->text().trimmed());
    written &= KelvoPrefs::setDownloadNewFlightsOnConnect(downloadNewFlightsOnConnect->isChecked());
    written &= KelvoPrefs::flush();
    if (!written) {
        logLine("Writing Preferences failed.");
        beep();
    }
    accept();
}

void PreferencesController::cancelButtonClick() {
    reject();
}

void PreferencesController::defaultsButtonClick() {
    selectRow(coordinateNotation, KelvoPrefs::defaultCoordinateNotation());
    selectRow(coordinateNegativeNotation, KelvoPrefs::defaultCoordinateNegativeNotation());
    selectRow(distanceUnit, KelvoPrefs::defaultDistanceUnit());
    defaultStartlineWidth->setText(QString::number(KelvoPrefs::defaultDefaultStartlineWidth()));
    defaultCylinderRadius->setText(QString::number(KelvoPrefs::defaultDefaultCylinderRadius()));
    defaultSectorRadius->setText(QString::number(KelvoPrefs::defaultDefaultSectorRadius()));
    flightsFolder->setText(KelvoPrefs::defaultFlightsFolder());
    downloadNewFlightsOnConnect->setChecked(KelvoPrefs::defaultDownloadNewFlightsOnConnect());
    selectRow(displayTimeZone, GmtRow);
}

}  // namespace kelvo
