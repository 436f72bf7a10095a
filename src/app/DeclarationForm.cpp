#include "app/DeclarationForm.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "LoggerAccess/Logger.h"
#include "app/EditorLimits.h"
#include "app/EntryValidator.h"
#include "app/KelvoPrefsBasedFormatter.h"
#include "app/LoggerController.h"
#include "app/LoggerWindow.h"
#include "app/MenuItems.h"
#include "app/TaskDataSource.h"
#include "app/WaypointEditing.h"
#include "app/WaypointsComboDataSource.h"
#include "base/Log.h"
#include "base/Text.h"
#include "geo/Declaration.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {

namespace {

// An empty field means no home position; anything else must read as the coordinate.
QString homeCoordinateProblem(WaypointField field, const QString& text) {
    return text.trimmed().isEmpty() ? QString() : waypointFieldProblem(field, text);
}

void limitField(QLineEdit* field, bool kept, std::size_t length, const QString& notKept) {
    field->setEnabled(kept);
    field->setToolTip(kept ? QString() : notKept);
    field->setMaxLength(kept && length > 0 ? int(length) : 32767);
}

}  // namespace

DeclarationForm::DeclarationForm(LoggerController& controller) : m_controller(controller) {
    LoggerWindow& w = m_controller.window();
    for (auto [field, which] : {std::pair{w.homeLatitude, WaypointField::latitude},
                                std::pair{w.homeLongitude, WaypointField::longitude}}) {
        EntryValidator::attachTo(
            field, [which](const QString& text) { return homeCoordinateProblem(which, text); });
    }
}

void DeclarationForm::applyLimits(const EditorLimits& limits) {
    LoggerWindow& w = m_controller.window();
    const std::optional<DeclarationLimits>& held = limits.declaration;
    const auto length = [&held](std::size_t DeclarationLimits::*field) {
        return held ? (*held).*field : 0;
    };
    const std::tuple<QLineEdit*, QString, std::size_t> fields[] = {
        {w.pilot1Field, tr("Pilot 1"), held ? held->pilotLength[0] : 0},
        {w.pilot2Field, tr("Pilot 2"), held ? held->pilotLength[1] : 0},
        {w.pilot3Field, tr("Pilot 3"), held ? held->pilotLength[2] : 0},
        {w.pilot4Field, tr("Pilot 4"), held ? held->pilotLength[3] : 0},
        {w.gliderIDField, tr("Glider ID"), length(&DeclarationLimits::gliderIDLength)},
        {w.gliderTypeField, tr("glider type"), length(&DeclarationLimits::gliderTypeLength)},
        {w.registration, tr("competition ID"), length(&DeclarationLimits::competitionIDLength)},
        {w.homePointField->lineEdit(), tr("home point"),
         held && !held->keepsHomePoint ? 0 : length(&DeclarationLimits::pointNameLength)}};
    for (const auto& [field, name, characters] : fields)
        limitField(field, !held || characters > 0, characters, limits.notKept(name));
    limitField(w.homeElevation, !held || held->keepsHomeElevation, 0,
               limits.notKept(tr("home elevation")));
}

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
    const std::shared_ptr<Declaration> declaration =
        logger ? logger->loggerData().declaration() : nullptr;
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
    declaration.setHomePoint(homeFromFields(declaration));
}

std::shared_ptr<Waypoint> DeclarationForm::homeFromFields(const Declaration& declaration) const {
    const LoggerWindow& w = m_controller.window();
    const Waypoint* held = declaration.homePoint().get();
    const auto coordinate = [held](const QLineEdit* field, WaypointField which) {
        if (homeCoordinateProblem(which, field->text()).isEmpty()) return field->text();
        return held ? waypointFieldText(*held, which) : QString();
    };
    return Waypoint::fromStrings(
        w.homePointField->currentText().toStdString(),
        coordinate(w.homeLatitude, WaypointField::latitude).toStdString(),
        coordinate(w.homeLongitude, WaypointField::longitude).toStdString(),
        leadingDouble(w.homeElevation->text().toStdString()));
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
