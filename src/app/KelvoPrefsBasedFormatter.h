#pragma once

#include <QString>
#include <QTimeZone>
#include <chrono>

namespace kelvo {

// Display texts that follow the user's settings: coordinates by the chosen notation,
// distances by the chosen unit, dates and times in the chosen time zone.
class KelvoPrefsBasedFormatter {
  public:
    KelvoPrefsBasedFormatter() = delete;

    // Distance [km] in the unit of the settings, "%6.1f".
    static QString getDistanceDescription(double kilometres);

    // The zone in which the views show dates and times (GUI thread only). The system's zone
    // until the application applies the stored preference.
    static QTimeZone displayTimeZone();
    static void setDisplayTimeZone(const QTimeZone& zone);
    // Makes the zone named by the time-zone preference the display zone; an unknown name
    // leaves the system's zone.
    static void applyTimeZonePreference();

    // "2009-10-07 11:05:00" and "11:05:00" in the display zone.
    static QString getDateDescription(std::chrono::sys_seconds time);
    static QString getTimeDescription(std::chrono::sys_seconds time);
};

}  // namespace kelvo
