#include "FuzzTargets.h"
#include "igc/IGCCheck.h"
#include "igc/KelvoTrace.h"

namespace kelvo::fuzz {

// Reads the file and goes over what the viewer shows: the task with its leg lengths and the
// file's IGC problems.
int IGCReader(const std::uint8_t* data, std::size_t size) {
    const KelvoTrace trace(Bytes(data, data + size), "fuzz.igc");
    Waypoint::linkInOrder(trace.waypoints());
    for (const auto& waypoint : trace.waypoints()) {
        waypoint->description();
        waypoint->distanceFromPreviousWaypoint();
        waypoint->bearingFromPreviousWaypoint();
    }
    IGCCheck::checkText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(IGCReader)
