#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LoggerAccess/LoggerData.h"
#include "files/ImportFile.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {

// Where each waypoint attribute stands in a line: the fixed order of files without a
// column header, or the places the file's header gives its column names (newer files
// add rwwidth, userdata and pics). A column the file lacks reads as an empty field.
struct CUPColumns {
    static constexpr std::size_t kMissing = static_cast<std::size_t>(-1);
    std::size_t title = 0, code = 1, country = 2, latitude = 3, longitude = 4, elevation = 5,
                style = 6, runwayDirection = 7, runwayLength = 8, frequency = 9;
    // A line with fewer fields is no waypoint.
    std::size_t minimumFields = 11;

    // The layout of a column header line, or nothing when the line is none.
    static std::optional<CUPColumns> fromHeader(std::string_view line);
};

// SeeYou waypoint files: comma-separated text with a column header line, one line per
// waypoint and, after the "-----Related Tasks-----" line, one line per task, read as a
// route. Fields in double quotes may hold commas; a doubled quote inside them is one quote.
class CUPFile : public ImportFile {
  public:
    static std::optional<std::string> getFileExtension() { return "CUP"; }
    static std::optional<std::string> getFileDescription() { return "SeeYou Waypoints file"; }

    bool canExportWaypoints() const override { return true; }
    bool canExportRoutes() const override { return true; }

    // Replaces the container's waypoints with the file's, and its routes when the file has
    // a task section; a file with more than one task section changes nothing.
    void parseData(ByteSpan bytes, LoggerData& loggerData) override;
    // Waypoints, then the routes as task lines; Windows-1252 when every character fits,
    // else UTF-8 with a byte-order mark.
    std::optional<Bytes> makeDataFromLoggerData(const LoggerData* loggerData) override;

    // Empty the list, then add the waypoint of every waypoint line; firstLine is the line
    // number of the text's first line in the file. A line that looks like a waypoint but
    // whose position cannot be read is no waypoint: it is noted as a bad line.
    void parseWaypoints(std::string_view text, WaypointList& waypoints, std::size_t firstLine = 1);
    // Likewise for the task lines; a task naming a point the file does not define is noted
    // as a bad line and gives no route.
    void parseRoutes(std::string_view text, RouteList& routes, const WaypointList& waypoints,
                     std::size_t firstLine = 1);
    // The waypoint of a line, or null for a line that holds none. A line with the fields of
    // a waypoint whose latitude or longitude cannot be read gives null and says why in
    // problem, when given.
    static std::shared_ptr<Waypoint> makeWaypoint(std::string_view line,
                                                  const CUPColumns& columns = CUPColumns{},
                                                  std::string* problem = nullptr);
    // Task options ("Options", "ObsZone=...", "STARTS=...") and blank lines give no route.
    // The "???" and empty placeholders that stand for an unset take-off or landing are
    // skipped; a point the file does not define gives null and says so in problem.
    static std::shared_ptr<Route> makeRoute(std::string_view line, const WaypointList& waypoints,
                                            std::string* problem = nullptr);
    // A copy of the first waypoint whose long name is the title.
    static std::shared_ptr<Waypoint> getWaypoint(std::string_view title,
                                                 const WaypointList& waypoints);

    // At least 11 characters and not the column header.
    static bool lineIsValid(std::string_view line);
    // The fields of a line, split at commas outside double quotes, quotes removed.
    static std::vector<std::string> splitFields(std::string_view line);
    // One leading and one trailing double quote removed.
    static std::string trimQuotes(std::string_view text);

    // DDMM.mmm and DDDMM.mmm followed by the hemisphere letter (N or S, E or W, in any
    // case). Minutes run to 60.000: files round 59.9996 up to it.
    static std::optional<Latitude> makeLatitude(std::string_view text);
    static std::optional<Longitude> makeLongitude(std::string_view text);
    // [m]; a number followed by "m" or "ft" (a bare number is metres).
    static double makeElevation(std::string_view text);
    static int makeWaypointType(std::string_view text);
    static int makeRunwayDirection(std::string_view text);
    static int makeRunwayLength(std::string_view text);  // [m]
    static double makeFrequency(std::string_view text);  // [MHz]

    // The waypoint's line, without line end.
    static std::string createLine(const Waypoint& waypoint);
    // The route's task line: its name, then the titles of its waypoints.
    static std::string createTaskLine(const Route& route);
};

}  // namespace kelvo
