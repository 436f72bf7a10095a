#pragma once

#include <QCoreApplication>
#include <QString>
#include <optional>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/Logger.h"

namespace kelvo {

// What the connected recorder keeps of what the editors show, so that a field takes at most
// the characters the recorder keeps and a field it does not keep says so before anything is
// written. Without a recorder, or of one that tells nothing, nothing is limited.
struct EditorLimits {
    Q_DECLARE_TR_FUNCTIONS(EditorLimits)

  public:
    QString recorder;            // the family's name, as the tool tips name it
    int waypointNameLength = 0;  // 0: not limited
    int routeNameLength = 0;     // 0: not limited
    bool keepsRouteNames = true;
    WaypointFields waypointFields;
    std::optional<DeclarationLimits> declaration;

    static EditorLimits of(const Logger* logger, const QString& recorder);

    // "The LX/SDI/Filser keeps no Pilot 2."
    QString notKept(const QString& field) const;
    // Why a typed name is refused: more characters than the recorder keeps (0: any length).
    QString nameProblem(const QString& name, int length) const;
};

}  // namespace kelvo
