#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvo {

class Logger;
class LoggerData;
struct DeclarationLimits;
struct LoggerCapabilities;
struct WaypointFields;

// What a recorder holds at most (waypoints, routes, route points, task points, pilots and
// the lengths of their names), checked before anything is sent: a recorder cuts what does
// not fit without a word, so a write of more is refused unless the user asked for the cut.
class LoggerLimits {
  public:
    // One line for each limit the data goes beyond ("the recorder holds at most 500
    // waypoints; 700 are to be written"); empty when everything fits.
    static std::vector<std::string> excess(const LoggerData& data,
                                           const LoggerCapabilities& capabilities);
    // What a write would change or drop besides: declaration fields the recorder has no
    // room for or cuts, texts it keeps in capitals, zone values and a home point or its
    // elevation it does not keep, names written otherwise (DeclarationFit); one line each,
    // empty when the declaration is kept as it stands.
    static std::vector<std::string> declarationChanges(const LoggerData& data,
                                                       const DeclarationLimits& limits);
    // The waypoint values a write drops because the recorder does not keep them ("3
    // waypoints lose their elevation and frequency: the recorder keeps none"); empty when no
    // waypoint holds such a value.
    static std::vector<std::string> waypointFieldsDropped(const LoggerData& data,
                                                          const WaypointFields& kept);
    // The waypoint names the recorder will hold instead of those the editor shows: a
    // waypoint record holds the short name, cut to the recorder's length, and no long name
    // ("\"Klippeneck Segelfluggelaende\" will be held as \"KLIPPENE\""). The first few, one
    // line each, then how many more; empty when every name is held as shown.
    static std::vector<std::string> heldWaypointNames(const LoggerData& data,
                                                      const LoggerCapabilities& capabilities);
    // Everything a write of the logger's data would not keep as it stands, one line each:
    // what goes beyond its limits, the waypoint values it drops, the names of routes other
    // than those read from it (when it keeps no route names) and the declaration's changes.
    // The list that Save to Logger asks about and `upload` prints before writing.
    static std::vector<std::string> unkeptChanges(const Logger& logger,
                                                  const std::set<std::string>& routeNamesAsRead);
    // Cuts the data to fit and answers what was dropped or shortened, one line each. A task
    // keeps its start and its finish and loses turnpoints before the finish.
    static std::vector<std::string> cutToFit(LoggerData& data,
                                             const LoggerCapabilities& capabilities);
};

}  // namespace kelvo
