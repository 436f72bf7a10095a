#pragma once

#include <QString>
#include <QTimeZone>
#include <chrono>

namespace kelvo {

class Coordinate;

// Display texts that follow the user's settings: coordinates by the chosen notation,
// distances by the chosen unit, dates and times in the chosen time zone.
class KelvoPrefsBasedFormatter {
  public:
    KelvoPrefsBasedFormatter() = delete;

    // A latitude or longitude in the notation of the settings, the sign as a leading "-" or
    // a hemisphere letter; " " for a notation that does not exist.
    static QString getCoordinateDescription(const Coordinate& coordinate);

    // Distance [km] in the unit of the settings, "%6.1f".
    static QString getDistanceDescription(double kilometres);
    // "km", "SM" or "NM": the unit that getDistanceDescription shows.
    static QString distanceUnitName();

    // Elevations and runway lengths go with the distance unit: metres with kilometres, feet
    // with statute or nautical miles.
    static QString heightUnitName();
    static double heightFromMetres(double metres);
    static double metresFromHeight(double height);

    // A column title with the unit of its values: "Leg (km)".
    static QString titleWithUnit(const QString& title, const QString& unit);

    // A bearing [degrees] as "%3.1f" followed by the degree sign.
    static QString getBearingDescription(double degrees);

    // The zone in which the views show dates and times (GUI thread only). The system's zone
    // until the application applies the stored preference.
    static QTimeZone displayTimeZone();
    static void setDisplayTimeZone(const QTimeZone& zone);
    // Makes the zone named by the time-zone preference the display zone; an unknown name
    // leaves the system's zone.
    static void applyTimeZonePreference();

    // "2009-10-07 11:05:00", "11:05:00" and "2009-10-07" in the display zone.
    static QString getDateDescription(std::chrono::sys_seconds time);
    static QString getTimeDescription(std::chrono::sys_seconds time);
    static QString getDayDescription(std::chrono::sys_seconds time);
};

}  // namespace kelvo
