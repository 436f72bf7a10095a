#include "app/WaypointEditing.h"

#include <QLocale>
#include <QObject>
#include <cmath>
#include <type_traits>

#include "app/KelvoPrefsBasedFormatter.h"
#include "geo/TypedCoordinate.h"
#include "geo/Waypoint.h"

namespace kelvo {

namespace {

using Formatter = KelvoPrefsBasedFormatter;

// The range of a height [m] in the unit of the settings, rounded to whole units.
double heightLimit(double metres) {
    return std::round(Formatter::heightFromMetres(metres));
}

// The rule of a number field in the units of the settings.
NumberEntry numberEntryOf(WaypointField field) {
    switch (field) {
        case WaypointField::elevation:
            return {QObject::tr("Elevation"), Formatter::heightUnitName(), heightLimit(-500),
                    heightLimit(9000), true};
        case WaypointField::type:
            return {QObject::tr("Type"), {}, 0, 65535, true};
        case WaypointField::runwayDirection:
            return {QObject::tr("Runway direction"), QStringLiteral("\u00B0"), 0, 360, true};
        case WaypointField::runwayLength:
            return {QObject::tr("Runway length"), Formatter::heightUnitName(), 0,
                    heightLimit(10000), true};
        default:
            return {QObject::tr("Frequency"), QStringLiteral("MHz"), 0, 137, false};
    }
}

template <typename Axis>
QString editCoordinate(Waypoint& waypoint, const QString& text) {
    const TypedCoordinate<Axis> read = readTypedCoordinate<Axis>(text.toStdString());
    if (!read.value) return QString::fromStdString(read.problem);
    if constexpr (std::is_same_v<Axis, Latitude>)
        waypoint.setLatitude(*read.value);
    else
        waypoint.setLongitude(*read.value);
    return {};
}

void setNumber(Waypoint& waypoint, WaypointField field, double value) {
    switch (field) {
        case WaypointField::elevation:
            waypoint.setElevation(Formatter::metresFromHeight(value));
            break;
        case WaypointField::type:
            waypoint.setType(static_cast<std::int32_t>(value));
            break;
        case WaypointField::runwayDirection:
            waypoint.setRunwayDirection(static_cast<std::int32_t>(value));
            break;
        case WaypointField::runwayLength:
            waypoint.setRunwayLength(
                static_cast<std::int32_t>(std::lround(Formatter::metresFromHeight(value))));
            break;
        default:
            waypoint.setFrequency(value);
            break;
    }
}

}  // namespace

QString waypointFieldTitle(WaypointField field) {
    switch (field) {
        case WaypointField::latitude:
            return QObject::tr("Latitude");
        case WaypointField::longitude:
            return QObject::tr("Longitude");
        default: {
            const NumberEntry entry = numberEntryOf(field);
            return entry.unit.isEmpty() ? entry.name
                                        : Formatter::titleWithUnit(entry.name, entry.unit);
        }
    }
}

QString waypointFieldText(const Waypoint& waypoint, WaypointField field) {
    switch (field) {
        case WaypointField::latitude:
            return Formatter::getCoordinateDescription(waypoint.latitude());
        case WaypointField::longitude:
            return Formatter::getCoordinateDescription(waypoint.longitude());
        case WaypointField::elevation:
            return QString::number(std::lround(Formatter::heightFromMetres(waypoint.elevation())));
        case WaypointField::type:
            return QString::number(waypoint.type());
        case WaypointField::runwayDirection:
            return QString::number(waypoint.runwayDirection());
        case WaypointField::runwayLength:
            return QString::number(
                std::lround(Formatter::heightFromMetres(waypoint.runwayLength())));
        default:
            return QString::number(waypoint.frequency(), 'f', 3);
    }
}

QString editWaypointField(Waypoint& waypoint, WaypointField field, const QString& text) {
    if (field == WaypointField::latitude) return editCoordinate<Latitude>(waypoint, text);
    if (field == WaypointField::longitude) return editCoordinate<Longitude>(waypoint, text);
    double value = 0.0;
    QString problem = readNumberEntry(text, numberEntryOf(field), value);
    if (problem.isEmpty()) setNumber(waypoint, field, value);
    return problem;
}

QString waypointFieldProblem(WaypointField field, const QString& text) {
    Waypoint scratch;
    return editWaypointField(scratch, field, text);
}

QString readNumberEntry(const QString& text, const NumberEntry& entry, double& value) {
    QString number = text.trimmed();
    if (!entry.unit.isEmpty() && number.endsWith(entry.unit, Qt::CaseInsensitive))
        number = number.chopped(entry.unit.size()).trimmed();
    // "1,000" is a thousand to some and one to others: only a fraction may have a comma.
    if (!entry.whole) number.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    bool readable = false;
    const double read = plain.toDouble(number, &readable);
    if (readable && std::isfinite(read) && read >= entry.minimum && read <= entry.maximum &&
        (!entry.whole || read == std::floor(read))) {
        value = read;
        return {};
    }
    return QObject::tr("%1 takes a %2number from %3 to %4%5.")
        .arg(entry.name, entry.whole ? QObject::tr("whole ") : QString(),
             QString::number(entry.minimum), QString::number(entry.maximum),
             entry.unit.isEmpty() ? QString() : QStringLiteral(" ") + entry.unit);
}

}  // namespace kelvo
