#pragma once

#include <QString>

namespace kelvo {

// The user's settings: one getter, one setter and one default per key. Nothing is cached:
// every getter reads the store again, and every setter writes through at once and answers
// whether the store was written. A missing value, a value of another type or a number that
// is not a 32-bit integer reads as the key's default.
class KelvoPrefs {
  public:
    KelvoPrefs() = delete;

    // 0 = decimal degrees, 1 = degrees and decimal minutes, 2 = degrees, minutes, seconds.
    static int coordinateNotation();
    static bool setCoordinateNotation(int notation);
    static int defaultCoordinateNotation() { return 2; }

    // 1 = leading "-"; anything else = hemisphere letter.
    static int coordinateNegativeNotation();
    static bool setCoordinateNegativeNotation(int notation);
    static int defaultCoordinateNegativeNotation() { return 0; }

    // 0 = kilometres, 1 = statute miles, 2 = nautical miles.
    static int distanceUnit();
    static bool setDistanceUnit(int unit);
    static int defaultDistanceUnit() { return 0; }

    static bool keyspanAcceleration();
    static bool setKeyspanAcceleration(bool use);
    static bool defaultKeyspanAcceleration() { return false; }

    static int defaultStartlineWidth();
    static bool setDefaultStartlineWidth(int width);
    static int defaultDefaultStartlineWidth() { return 10; }

    // [m]
    static int defaultCylinderRadius();
    static bool setDefaultCylinderRadius(int radius);
    static int defaultDefaultCylinderRadius() { return 500; }

    // [m]
    static int defaultSectorRadius();
    static bool setDefaultSectorRadius(int radius);
    static int defaultDefaultSectorRadius() { return 5000; }

    // A null string removes the key, so that the default applies again.
    static QString lastUsedSerialPortName();
    static bool setLastUsedSerialPortName(const QString& name);

    // The line speed that last worked on a port (0: none), tried first on the next connect.
    // Ports are kept under their identity (see PortEntry); what earlier versions kept under
    // a port's former name (its device name) is read while its identity has nothing.
    static int lineSpeedForPort(const QString& identity, const QString& formerName = {});
    static bool setLineSpeedForPort(const QString& identity, int speed);
    // The logger type that last answered on a port (empty: none yet), chosen again with it.
    static QString loggerTypeForPort(const QString& identity, const QString& formerName = {});
    static bool setLoggerTypeForPort(const QString& identity, const QString& type);
    static QString defaultLastUsedSerialPortName() { return QString(""); }

    static QString timeZoneName();
    static bool setTimeZoneName(const QString& name);
    static QString defaultTimeZoneName();

    static QString lastUsedLoggerName();
    static bool setLastUsedLoggerName(const QString& name);
    static QString defaultLastUsedLoggerName() { return QString(""); }

    // Where downloads go by default and the logbook looks for flights.
    static QString flightsFolder();
    static bool setFlightsFolder(const QString& folder);
    static QString defaultFlightsFolder();

    // "Download new flights when a recorder is connected": a recorder's port that appears
    // while the application runs is connected with its remembered type and the recorder's
    // new flights go to the flights folder.
    static bool downloadNewFlightsOnConnect();
    static bool setDownloadNewFlightsOnConnect(bool download);
    static bool defaultDownloadNewFlightsOnConnect() { return false; }

    static bool allowInternalDebugFeatures();
    static bool setAllowInternalDebugFeatures(bool allow);
    static bool defaultAllowInternalDebugFeatures() { return false; }

    // Writes the store again; false when that failed.
    static bool flush();

  private:
    static int integerValue(const QString& key, int fallback);
    static bool booleanValue(const QString& key, bool fallback);
    static QString stringValue(const QString& key, const QString& fallback);
    static bool setString(const QString& key, const QString& value);
};

}  // namespace kelvo
