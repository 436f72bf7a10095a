#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "LoggerAccess/FlightColumn.h"
#include "LoggerAccess/LoggerData.h"

namespace kelvo {
class Declaration;
class KelvoTrace;
struct FlightStatistics;
struct LogbookEntry;
class Waypoint;
}  // namespace kelvo

namespace kelvo::cli {

// Objects keep their keys in the documented order.
using Json = nlohmann::ordered_json;

// {"name", "latitude", "longitude"} in decimal degrees; a turnpoint adds its zone
// ("ozType", "lineWidth", "cylinderRadius", "sectorRadius", "sectorDirection") when asked.
Json pointJson(const Waypoint& waypoint, bool withZone = true);

// The entry's field in the column as text, times in ISO 8601 UTC; nothing when absent.
std::optional<std::string> columnText(const FlightColumn& column, const FlightEntry& entry);

// The entry's keys that are present, in the columns' order; times as columnText gives them.
Json flightEntryJson(const FlightEntry& entry);

// pilot1..pilot4, gliderID, gliderType, competitionID, competitionClass (the class name),
// homePoint (null when there is none) and task (an array of points with their zones).
Json declarationJson(const Declaration& declaration);

// Sets the fields of the declaration that the document names (the keys of
// declarationJson); the others stay. Throws OperationFailure naming the first field that
// is of the wrong kind or out of range, a key or class name it does not know (with those
// it knows), or a task of one point (a task runs from a start to a finish).
void applyDeclarationJson(const Json& document, Declaration& declaration);

// {"fileName", "date" (YYYY-MM-DD or null), "header", "task", "fixCount", "skippedFixes"}.
Json traceJson(const KelvoTrace& trace);

// Writes the document (an object) with, when asked for, "fixes" ({"time", "latitude",
// "longitude", "elevation"}) as its last key. The fixes are written one by one, so a long
// flight never becomes one value in memory.
void writeTraceJson(std::ostream& out, const Json& document, const KelvoTrace& trace,
                    bool withFixes);

// {"takeoff", "landing" (ISO 8601 UTC), "flightTime" [s], "distanceFlown",
// "greatestDistanceFromTakeoff", "taskDistance" [km], "highestAltitude", "lowestAltitude",
// "altitudeGained" [m], "bestClimb" [m/s]}; null for what the flight does not have.
Json statisticsJson(const FlightStatistics& statistics);

// {"file", "date" (YYYY-MM-DD), "takeoff", "landing", "flightTime" [s], "pilot",
// "gliderType", "registration", "competitionId", "distance" [km], "highestAltitude" [m]}
// and "problem" for a file that could not be read.
Json logbookEntryJson(const LogbookEntry& entry);

}  // namespace kelvo::cli
