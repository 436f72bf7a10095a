#pragma once

#include <QString>

namespace kelvo {

class Waypoint;

// The values of a waypoint that the waypoint table, the routes outline and the task table
// show and take as typed text.
enum class WaypointField {
    latitude,
    longitude,
    elevation,
    type,
    runwayDirection,
    runwayLength,
    frequency
};

// The column title, with the unit of the settings for a value that has one: "Elevation (ft)".
QString waypointFieldTitle(WaypointField field);
// The value as the tables show it, in the notation and units of the settings.
QString waypointFieldText(const Waypoint& waypoint, WaypointField field);

// Takes typed text into the field. Answers why the text was refused, the waypoint keeping
// its value, or an empty text when the waypoint took it. Coordinates are read strictly
// (geo/TypedCoordinate.h); numbers may be followed by their unit and must lie in range.
QString editWaypointField(Waypoint& waypoint, WaypointField field, const QString& text);
// Why editWaypointField would refuse the text; empty when it would take it. Serves the
// entry checks of fields that edit no waypoint, such as the home point's coordinates.
QString waypointFieldProblem(WaypointField field, const QString& text);

// What a typed number may be: the unit that may follow it, its range and whether it must be
// whole; the name introduces a message ("Elevation: ...").
struct NumberEntry {
    QString name;
    QString unit;
    double minimum;
    double maximum;
    bool whole;
};

// Reads a typed number by the entry's rule into value; answers why the text was refused, or
// an empty text. A decimal comma is read as a point.
QString readNumberEntry(const QString& text, const NumberEntry& entry, double& value);

}  // namespace kelvo
