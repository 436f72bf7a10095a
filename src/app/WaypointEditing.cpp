#include "app/WaypointEditing.h"

#include <QRegularExpression>
#include <optional>

#include "geo/Waypoint.h"

namespace kelvo {

namespace {

// Digits in one of the notations the views show or users type: signs, decimal points,
// blanks, degree, minute and second marks and one hemisphere letter at the end. The
// coordinate parser itself reads any text, taking what it cannot read as 0, which would
// move a waypoint to the equator on a typing error.
bool looksLikeCoordinate(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*[-+]?[0-9][0-9\s.,'"\x{00B0}\x{00BA}\x{2032}\x{2033}-]*[NSEWnsew]?\s*$)"));
    return pattern.match(text).hasMatch();
}

// Nothing when the text does not read as a coordinate of the axis.
template <typename Axis>
std::optional<Axis> parsed(const QString& text) {
    if (!looksLikeCoordinate(text)) return std::nullopt;
    Axis coordinate;
    if (!coordinate.setValueFromString(text.toStdString())) return std::nullopt;
    return coordinate;
}

}  // namespace

bool editLatitude(Waypoint& waypoint, const QString& text) {
    const auto latitude = parsed<Latitude>(text);
    if (latitude) waypoint.setLatitude(*latitude);
    return latitude.has_value();
}

bool editLongitude(Waypoint& waypoint, const QString& text) {
    const auto longitude = parsed<Longitude>(text);
    if (longitude) waypoint.setLongitude(*longitude);
    return longitude.has_value();
}

}  // namespace kelvo
