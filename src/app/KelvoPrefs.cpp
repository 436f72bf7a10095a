#include "app/KelvoPrefs.h"

#include <QJsonValue>
#include <QTimeZone>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/PreferencesStore.h"
#include "igc/Logbook.h"

namespace kelvo {

namespace {

const QString kCoordinateNotation = QStringLiteral("CoordinateNotation");
const QString kCoordinateNegativeNotation = QStringLiteral("CoordinateNegativeNotation");
const QString kDistanceUnit = QStringLiteral("DistanceUnit");
const QString kUseKeyspanAcceleration = QStringLiteral("UseKeyspanAcceleration");
const QString kDefaultStartlineWidth = QStringLiteral("DefaultStartlineWidth");
const QString kDefaultCylinderRadius = QStringLiteral("DefaultCylinderRadius");
const QString kDefaultSectorRadius = QStringLiteral("DefaultSectorRadius");
const QString kLastUsedSerialPortName = QStringLiteral("LastUsedSerialPortName");
const QString kLineSpeedOfPort = QStringLiteral("LineSpeed:");
const QString kLoggerTypeOfPort = QStringLiteral("LoggerType:");
const QString kTimeZoneName = QStringLiteral("TimeZoneName");
const QString kLastUsedLoggerName = QStringLiteral("LastUsedLoggerName");
const QString kFlightsFolder = QStringLiteral("FlightsFolder");
const QString kDownloadNewFlightsOnConnect = QStringLiteral("DownloadNewFlightsOnConnect");
const QString kAllowInternalDebugFeatures = QStringLiteral("AllowInternalDebugFeatures");

}  // namespace

int KelvoPrefs::integerValue(const QString& key, int fallback) {
    const QJsonValue value = PreferencesStore::value(key);
    if (!value.isDouble()) return fallback;
    const double number = value.toDouble();
    // Only a number that converts to a 32-bit integer without loss counts.
    if (number != std::trunc(number) || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max())
        return fallback;
    return static_cast<int>(number);
}

bool KelvoPrefs::booleanValue(const QString& key, bool fallback) {
    const QJsonValue value = PreferencesStore::value(key);
    return value.isBool() ? value.toBool() : fallback;
}

QString KelvoPrefs::stringValue(const QString& key, const QString& fallback) {
    const QJsonValue value = PreferencesStore::value(key);
    return value.isString() ? value.toString() : fallback;
}

bool KelvoPrefs::setString(const QString& key, const QString& value) {
    return PreferencesStore::setValue(
        key, value.isNull() ? QJsonValue(QJsonValue::Undefined) : QJsonValue(value));
}

bool KelvoPrefs::flush() {
    return PreferencesStore::flush();
}

int KelvoPrefs::coordinateNotation() {
    return integerValue(kCoordinateNotation, defaultCoordinateNotation());
}
bool KelvoPrefs::setCoordinateNotation(int notation) {
    return PreferencesStore::setValue(kCoordinateNotation, notation);
}

int KelvoPrefs::coordinateNegativeNotation() {
    return integerValue(kCoordinateNegativeNotation, defaultCoordinateNegativeNotation());
}
bool KelvoPrefs::setCoordinateNegativeNotation(int notation) {
    return PreferencesStore::setValue(kCoordinateNegativeNotation, notation);
}

int KelvoPrefs::distanceUnit() {
    return integerValue(kDistanceUnit, defaultDistanceUnit());
}
bool KelvoPrefs::setDistanceUnit(int unit) {
    return PreferencesStore::setValue(kDistanceUnit, unit);
}

bool KelvoPrefs::keyspanAcceleration() {
    return booleanValue(kUseKeyspanAcceleration, defaultKeyspanAcceleration());
}
bool KelvoPrefs::setKeyspanAcceleration(bool use) {
    return PreferencesStore::setValue(kUseKeyspanAcceleration, use);
}

int KelvoPrefs::defaultStartlineWidth() {
    return integerValue(kDefaultStartlineWidth, defaultDefaultStartlineWidth());
}
bool KelvoPrefs::setDefaultStartlineWidth(int width) {
    return PreferencesStore::setValue(kDefaultStartlineWidth, width);
}

int KelvoPrefs::defaultCylinderRadius() {
    return integerValue(kDefaultCylinderRadius, defaultDefaultCylinderRadius());
}
bool KelvoPrefs::setDefaultCylinderRadius(int radius) {
    return PreferencesStore::setValue(kDefaultCylinderRadius, radius);
}

int KelvoPrefs::defaultSectorRadius() {
    return integerValue(kDefaultSectorRadius, defaultDefaultSectorRadius());
}
bool KelvoPrefs::setDefaultSectorRadius(int radius) {
    return PreferencesStore::setValue(kDefaultSectorRadius, radius);
}

QString KelvoPrefs::lastUsedSerialPortName() {
    return stringValue(kLastUsedSerialPortName, defaultLastUsedSerialPortName());
}
bool KelvoPrefs::setLastUsedSerialPortName(const QString& name) {
    return setString(kLastUsedSerialPortName, name);
}

int KelvoPrefs::lineSpeedForPort(const QString& identity, const QString& formerName) {
    const int speed = integerValue(kLineSpeedOfPort + identity, 0);
    return speed == 0 && !formerName.isEmpty() ? integerValue(kLineSpeedOfPort + formerName, 0)
                                               : speed;
}
bool KelvoPrefs::setLineSpeedForPort(const QString& identity, int speed) {
    if (speed <= 0 || lineSpeedForPort(identity) == speed) return true;
    return PreferencesStore::setValue(kLineSpeedOfPort + identity, speed);
}

QString KelvoPrefs::loggerTypeForPort(const QString& identity, const QString& formerName) {
    const QString type = stringValue(kLoggerTypeOfPort + identity, QString());
    return type.isEmpty() && !formerName.isEmpty()
               ? stringValue(kLoggerTypeOfPort + formerName, QString())
               : type;
}
bool KelvoPrefs::setLoggerTypeForPort(const QString& identity, const QString& type) {
    return setString(kLoggerTypeOfPort + identity, type);
}

QString KelvoPrefs::flightsFolder() {
    const QString folder = stringValue(kFlightsFolder, defaultFlightsFolder());
    return folder.isEmpty() ? defaultFlightsFolder() : folder;
}

bool KelvoPrefs::setFlightsFolder(const QString& folder) {
    return setString(kFlightsFolder, folder);
}

QString KelvoPrefs::defaultFlightsFolder() {
    return QString::fromStdString(Logbook::defaultFlightsFolder().string());
}

QString KelvoPrefs::timeZoneName() {
    return stringValue(kTimeZoneName, defaultTimeZoneName());
}
bool KelvoPrefs::setTimeZoneName(const QString& name) {
    return setString(kTimeZoneName, name);
}
QString KelvoPrefs::defaultTimeZoneName() {
    return QString::fromUtf8(QTimeZone::systemTimeZoneId());
}

QString KelvoPrefs::lastUsedLoggerName() {
    return stringValue(kLastUsedLoggerName, defaultLastUsedLoggerName());
}
bool KelvoPrefs::setLastUsedLoggerName(const QString& name) {
    return setString(kLastUsedLoggerName, name);
}

bool KelvoPrefs::downloadNewFlightsOnConnect() {
    return booleanValue(kDownloadNewFlightsOnConnect, defaultDownloadNewFlightsOnConnect());
}
bool KelvoPrefs::setDownloadNewFlightsOnConnect(bool download) {
    return PreferencesStore::setValue(kDownloadNewFlightsOnConnect, download);
}

bool KelvoPrefs::allowInternalDebugFeatures() {
    return booleanValue(kAllowInternalDebugFeatures, defaultAllowInternalDebugFeatures());
}
bool KelvoPrefs::setAllowInternalDebugFeatures(bool allow) {
    return PreferencesStore::setValue(kAllowInternalDebugFeatures, allow);
}

}  // namespace kelvo
