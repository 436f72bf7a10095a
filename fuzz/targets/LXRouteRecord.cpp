#include <vector>

#include "FuzzTargets.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo::fuzz {

// Route records one after the other, as in the database block, against a short waypoint
// list; each route read is written back into a record, as a database write does.
int LXRouteRecord(const std::uint8_t* data, std::size_t size) {
    std::vector<std::shared_ptr<Waypoint>> waypoints;
    for (int i = 0; i < 4; ++i) {
        waypoints.push_back(Waypoint::fromDegrees("WP" + std::to_string(i), 46 + i, 7 + i, 500));
    }
    const ByteSpan records(data, size);
    for (std::size_t offset = 0; offset < records.size(); offset += LXRoute::kSize) {
        const LXRoute record(records, offset);
        record.toString();
        const std::shared_ptr<Route> route = record.makeRoute(waypoints);
        if (route) LXRoute().setRoute(*route, waypoints, 6);
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(LXRouteRecord)
