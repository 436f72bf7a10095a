#include "app/DeclarationForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "LoggerAccess/Logger.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/MenuItems.h"
#include "app/TaskDataSource.h"
#include "app/WaypointsComboDataSource.h"
#include "base/Log.h"
#include "base/Text.h"
#include "geo/Declaration.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {

DeclarationForm::DeclarationForm(LoggerController& controller) : m_controller(controller) {}

void DeclarationForm::loadGliderClassDescriptions() {
    QComboBox* popup = m_controller.window().competitionClassPopup;
    QStringList names;
    for (const std::string& name : Declaration::competitionClassNames())
        names << QString::fromStdString(name);
    const QString selected = popup->currentText();
    replaceItems(popup, names, {selected});
}

void DeclarationForm::showHomePosition(const Waypoint& home) {
    LoggerWindow& w = m_controller.window();
    w.homeLatitude->setText(KelvoPrefsBasedFormatter::getCoordinateDescription(home.latitude()));
    w.homeLongitude->setText(KelvoPrefsBasedFormatter::getCoordinateDescription(home.longitude()));
    w.homeElevation->setText(QString::number(home.elevation()));
}

void DeclarationForm::showDeclaration() {
    LoggerWindow& w = m_controller.window();
    TaskDataSource* task = m_controller.taskDataSource();
    Logger* logger = m_controller.logger();
    const std::shared_ptr<Declaration> declaration = logger ? logger->declaration() : nullptr;
    const QSignalBlocker blocker(w.homePointField);
    if (!declaration) {
        task->setData(nullptr);
        for (QLineEdit* field :
             {w.registration, w.pilot1Field, w.pilot2Field, w.pilot3Field, w.pilot4Field,
              w.gliderIDField, w.gliderTypeField, w.homeLatitude, w.homeLongitude, w.homeElevation})
            field->clear();
        w.homePointField->setEditText("");
        w.competitionClassPopup->setCurrentIndex(w.competitionClassPopup->findText(""));
        return;
    }
    auto text = [](const std::string& value) { return QString::fromStdString(value); };
    task->setData(declaration->task());
    w.registration->setText(text(declaration->competitionID()));
    w.pilot1Field->setText(text(declaration->pilot1()));
    w.pilot2Field->setText(text(declaration->pilot2()));
    w.pilot3Field->setText(text(declaration->pilot3()));
    w.pilot4Field->setText(text(declaration->pilot4()));
    w.gliderIDField->setText(text(declaration->gliderID()));
    w.gliderTypeField->setText(text(declaration->gliderType()));
    w.competitionClassPopup->setCurrentIndex(
        w.competitionClassPopup->findText(text(declaration->competitionClassDescription())));
    if (const std::shared_ptr<Waypoint>& home = declaration->homePoint()) {
        w.homePointField->setEditText(text(home->name()));
        showHomePosition(*home);
    } else {
        w.homePointField->setEditText("");
        w.homeLatitude->clear();
        w.homeLongitude->clear();
        w.homeElevation->clear();
    }
}

void DeclarationForm::fillDeclaration(Declaration& declaration) const {
    const LoggerWindow& w = m_controller.window();
    declaration.setPilot1(w.pilot1Field->text().toStdString());
    declaration.setPilot2(w.pilot2Field->text().toStdString());
    declaration.setPilot3(w.pilot3Field->text().toStdString());
    declaration.setPilot4(w.pilot4Field->text().toStdString());
    const std::string competitionClass = w.competitionClassPopup->currentText().toStdString();
    logf("Menu appears to be set to: %s", competitionClass.c_str());
    declaration.setCompetitionClassDescription(competitionClass);
    declaration.setGliderID(w.gliderIDField->text().toStdString());
    declaration.setGliderType(w.gliderTypeField->text().toStdString());
    declaration.setCompetitionID(w.registration->text().toStdString());
    declaration.setHomePoint(Waypoint::fromStrings(
        w.homePointField->currentText().toStdString(), w.homeLatitude->text().toStdString(),
        w.homeLongitude->text().toStdString(),
        leadingDouble(w.homeElevation->text().toStdString())));
}

void DeclarationForm::homePointSelectionDidChange(int index) {
    LoggerWindow& w = m_controller.window();
    Logger* logger = m_controller.logger();
    const int waypoint = index - 1;
    const std::shared_ptr<Waypoint> chosen =
        logger && waypoint >= 0 ? logger->loggerData().waypointAtIndex(waypoint) : nullptr;
    if (!chosen) {
        w.homeLatitude->setText("");
        w.homeLongitude->setText("");
        w.homeElevation->setText("0");
        return;
    }
    showHomePosition(*chosen);
}

void DeclarationForm::setHomePointItems(const WaypointList* waypoints) {
    QComboBox* field = m_controller.window().homePointField;
    const QString homeName = field->currentText();
    m_controller.waypointsComboDataSource()->setData(waypoints);
    const QSignalBlocker blocker(field);
    field->setEditText(homeName);
}

void DeclarationForm::reformatHomePosition() {
    LoggerWindow& w = m_controller.window();
    for (auto [field, isLatitude] :
         {std::pair{w.homeLatitude, true}, std::pair{w.homeLongitude, false}}) {
        const std::string text = field->text().toStdString();
        if (trimSpacesAndTabs(text).empty()) continue;
        field->setText(
            isLatitude
                ? KelvoPrefsBasedFormatter::getCoordinateDescription(Latitude::fromString(text))
                : KelvoPrefsBasedFormatter::getCoordinateDescription(Longitude::fromString(text)));
    }
}

}  // namespace kelvo
