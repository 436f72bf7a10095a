#pragma once

#include <QString>

namespace kelvo {

class Waypoint;

// What the editors of the waypoint table, the routes outline and the task table do with
// a typed coordinate: the waypoint takes it only when the text parses; blank text or text
// that does not parse leaves it unchanged. Both answer whether it was taken.
bool editLatitude(Waypoint& waypoint, const QString& text);
bool editLongitude(Waypoint& waypoint, const QString& text);

}  // namespace kelvo
