#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/ImportFile.h"

namespace kelvo {

class Waypoint;

// Volkslogger waypoint files: a comment line, then one line per waypoint,
// "1,NAME,DDMMmmm,DDDMMmmm,Xv" with packed coordinates (negative south and west) and the
// Volkslogger type number v.
class DBTFile : public ImportFile {
  public:
    static std::optional<std::string> getFileExtension() { return "DBT"; }
    static std::optional<std::string> getFileDescription() { return "Volkslogger Waypoints file"; }
    static int convertFromVolksloggerWaypointType(int volksloggerType);
    static int convertToVolksloggerWaypointType(int waypointType);

    bool canExportWaypoints() const override { return true; }

    // Replaces the container's waypoints with the file's.
    void parseData(ByteSpan bytes, LoggerData& loggerData) override;
    // UTF-8 text; the comment line alone when there is no container.
    std::optional<Bytes> makeDataFromLoggerData(const LoggerData* loggerData) override;

    // A waypoint, or null for lines with fewer than five fields.
    static std::shared_ptr<Waypoint> makeWaypoint(std::string_view line);
    // The waypoint's line, without line end.
    static std::string createLine(const Waypoint& waypoint);
};

}  // namespace kelvo
