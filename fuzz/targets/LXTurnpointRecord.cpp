#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo::fuzz {

// Waypoint records one after the other, as in the database block; each waypoint read is
// written back into a record, as a database write does.
int LXTurnpointRecord(const std::uint8_t* data, std::size_t size) {
    const ByteSpan records(data, size);
    for (std::size_t offset = 0; offset < records.size(); offset += LXTurnpoint::kSize) {
        const std::shared_ptr<Waypoint> waypoint = LXTurnpoint(records, offset).waypoint();
        if (waypoint) LXTurnpoint().setWaypoint(*waypoint);
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXTurnpointRecord)
