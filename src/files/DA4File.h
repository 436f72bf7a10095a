#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "files/ImportFile.h"

namespace kelvo {

class Waypoint;

// LX waypoint database files: 31-byte waypoint records without header. Floats are
// little-endian, 16-bit integers big-endian and signed. The runway direction is a runway
// number and the type a runway surface letter, as in the recorder's own waypoint records
// (geo/WaypointType.h).
//
// Offset 28 holds the training-circle direction and the 16-bit field at offset 29 the
// training-circle size; a file carries no training-circle code, so a waypoint read from
// one has the default code.
class DA4File : public ImportFile {
  public:
    static constexpr std::size_t kRecordSize = 31;
    using Record = std::array<std::uint8_t, kRecordSize>;

    static std::optional<std::string> getFileExtension() { return "DA4"; }
    static std::optional<std::string> getFileDescription() { return std::nullopt; }

    bool canExportWaypoints() const override { return true; }

    // Replaces the container's waypoints with the valid waypoints of the whole records; a
    // shorter remainder at the end is ignored.
    void parseData(ByteSpan bytes, LoggerData& loggerData) override;
    // Nothing when there is no container or no waypoint.
    std::optional<Bytes> makeDataFromLoggerData(const LoggerData* loggerData) override;

    // The waypoint of a record in file byte order; fields beyond a short record read as 0.
    static std::shared_ptr<Waypoint> makeWaypoint(ByteSpan record);
    // The record of a waypoint in file byte order. Names are converted to ASCII and cut to
    // 8 characters; a value that does not fit its field is written as 0.
    static Record makeRecord(const Waypoint& waypoint);
    // Every field of a record, one log line each, for diagnosis.
    static void logWaypoint(ByteSpan record);
};

}  // namespace kelvo
