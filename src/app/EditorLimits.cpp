#include "app/EditorLimits.h"

namespace kelvo {

EditorLimits EditorLimits::of(const Logger* logger, const QString& recorder) {
    EditorLimits limits;
    if (!logger) return limits;
    const LoggerCapabilities& capabilities = logger->capabilities();
    limits.recorder = recorder;
    limits.waypointNameLength = static_cast<int>(capabilities.lenWaypointName);
    limits.routeNameLength = static_cast<int>(capabilities.lenRouteName);
    limits.keepsRouteNames = capabilities.keepsRouteNames;
    limits.waypointFields = capabilities.keptWaypointFields;
    limits.declaration = logger->declarationLimits();
    return limits;
}

QString EditorLimits::notKept(const QString& field) const {
    return tr("The %1 keeps no %2.").arg(recorder, field);
}

QString EditorLimits::nameProblem(const QString& name, int length) const {
    if (length <= 0 || name.size() <= length) return {};
    return tr("The %1 keeps at most %2 characters of a name.").arg(recorder).arg(length);
}

}  // namespace kelvo
