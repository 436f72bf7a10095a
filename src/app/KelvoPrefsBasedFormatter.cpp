#include "app/KelvoPrefsBasedFormatter.h"

#include <QDateTime>

#include "app/KelvoPrefs.h"
#include "base/Format.h"
#include "geo/Coordinate.h"

namespace kelvo {

namespace {

constexpr double kMetresPerFoot = 0.3048;

bool heightsInFeet() {
    const int unit = KelvoPrefs::distanceUnit();
    return unit == 1 || unit == 2;
}

QTimeZone& displayZone() {
    static QTimeZone zone = QTimeZone::systemTimeZone();
    return zone;
}

QDateTime inDisplayZone(std::chrono::sys_seconds time) {
    return QDateTime::fromSecsSinceEpoch(time.time_since_epoch().count(), displayZone());
}

}  // namespace

QString KelvoPrefsBasedFormatter::getCoordinateDescription(const Coordinate& coordinate) {
    const bool signPrefix = KelvoPrefs::coordinateNegativeNotation() == 1;
    switch (KelvoPrefs::coordinateNotation()) {
        case 0:
            return QString::fromStdString(coordinate.descriptionWithDecimalDegrees(signPrefix));
        case 1:
            return QString::fromStdString(coordinate.descriptionWithDecimalMinutes(signPrefix));
        case 2:
            return QString::fromStdString(coordinate.descriptionWithDecimalSeconds(signPrefix));
        default:
            return QStringLiteral(" ");
    }
}

QString KelvoPrefsBasedFormatter::getDistanceDescription(double kilometres) {
    double distance = kilometres;
    switch (KelvoPrefs::distanceUnit()) {
        case 1:
            distance = kilometres / 1.609;
            break;
        case 2:
            distance = kilometres / 1.852;
            break;
        default:
            break;
    }
    return QString::fromStdString(stringf("%6.1f", distance));
}

QString KelvoPrefsBasedFormatter::distanceUnitName() {
    switch (KelvoPrefs::distanceUnit()) {
        case 1:
            return QStringLiteral("SM");
        case 2:
            return QStringLiteral("NM");
        default:
            return QStringLiteral("km");
    }
}

QString KelvoPrefsBasedFormatter::heightUnitName() {
    return heightsInFeet() ? QStringLiteral("ft") : QStringLiteral("m");
}

double KelvoPrefsBasedFormatter::heightFromMetres(double metres) {
    return heightsInFeet() ? metres / kMetresPerFoot : metres;
}

double KelvoPrefsBasedFormatter::metresFromHeight(double height) {
    return heightsInFeet() ? height * kMetresPerFoot : height;
}

QString KelvoPrefsBasedFormatter::titleWithUnit(const QString& title, const QString& unit) {
    return QStringLiteral("%1 (%2)").arg(title, unit);
}

QString KelvoPrefsBasedFormatter::getBearingDescription(double degrees) {
    return QString::fromStdString(stringf("%3.1f", degrees)) + QChar(0x00B0);
}

QTimeZone KelvoPrefsBasedFormatter::displayTimeZone() {
    return displayZone();
}

void KelvoPrefsBasedFormatter::setDisplayTimeZone(const QTimeZone& zone) {
    displayZone() = zone;
}

void KelvoPrefsBasedFormatter::applyTimeZonePreference() {
    const QTimeZone zone(KelvoPrefs::timeZoneName().toUtf8());
    setDisplayTimeZone(zone.isValid() ? zone : QTimeZone::systemTimeZone());
}

QString KelvoPrefsBasedFormatter::getDateDescription(std::chrono::sys_seconds time) {
    return inDisplayZone(time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString KelvoPrefsBasedFormatter::getTimeDescription(std::chrono::sys_seconds time) {
    return inDisplayZone(time).toString(QStringLiteral("HH:mm:ss"));
}

QString KelvoPrefsBasedFormatter::getDayDescription(std::chrono::sys_seconds time) {
    return inDisplayZone(time).toString(QStringLiteral("yyyy-MM-dd"));
}

}  // namespace kelvo
