#pragma once

#include <QObject>
#include <memory>

#include "LoggerAccess/LoggerData.h"

namespace kelvo {

class Declaration;
class LoggerController;
class Waypoint;
struct EditorLimits;

// The declaration form: shows the driver's declaration in the pilot, glider, competition
// class and home point fields, and reads those fields back into a declaration. The home
// point's coordinates take only what can be read as one, and each field takes at most the
// characters the recorder keeps.
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
    // Each text field takes at most the characters the recorder keeps; a field it does not
    // keep is disabled and its tool tip says so.
    void applyLimits(const EditorLimits& limits);

  private:
    void showHomePosition(const Waypoint& home);
    // The home point of the fields; a coordinate the field refuses keeps the held one.
    std::shared_ptr<Waypoint> homeFromFields(const Declaration& declaration) const;

    LoggerController& m_controller;
};

}  // namespace kelvo
