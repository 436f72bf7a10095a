#pragma once

#include <QObject>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

class Declaration;
class LoggerController;
class Waypoint;

// The declaration form: shows the driver's declaration in the pilot, glider, competition
// class and home point fields, and reads those fields back into a declaration.
class DeclarationForm : public QObject {
    Q_OBJECT

  public:
    explicit DeclarationForm(LoggerController& controller);

    void loadGliderClassDescriptions();
    // The driver's declaration, or empty fields without a driver.
    void showDeclaration();
    // The pilots, glider, class and home point typed into the form.
    void fillDeclaration(Declaration& declaration) const;
    // Choosing a waypoint as the home point shows its position; the title item clears it.
    void homePointSelectionDidChange(int index);
    // The waypoints offered as home point; the home point's name stays as typed.
    void setHomePointItems(const WaypointList* waypoints);
    // The home position again in the notation just chosen; an empty field stays empty.
    void reformatHomePosition();

  private:
    void showHomePosition(const Waypoint& home);

    LoggerController& m_controller;
};

}  // namespace kelvo
