#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/demo/DemoFlight.h"

namespace kelvo {
class Declaration;
class Route;
class Waypoint;
}  // namespace kelvo

namespace kelvo::sim {

enum class DemoSize {
    Realistic,  // four flights of one to five hours at 1 to 4 s per fix
    Small,      // the same flights cut to their first minutes, for quick tests
};

// What a simulated recorder holds: a season's worth of cross-country flights from a
// gliding site on the Swabian Jura, the region's waypoints, three routes and the pilot's
// declaration. Built by code and the same on every run.
struct DemoContent {
    std::vector<std::shared_ptr<Waypoint>> waypoints;
    std::vector<std::shared_ptr<Route>> routes;
    std::shared_ptr<Declaration> declaration;
    std::vector<DemoFlight> flights;

    // The four demo flights by default; more are the same four flown in earlier seasons
    // (one year back for each round, with tracks of their own).
    static DemoContent make(DemoSize size, std::optional<std::size_t> flightCount = {});

    // The waypoint of that name, null when there is none.
    std::shared_ptr<Waypoint> waypoint(const std::string& name) const;
};

}  // namespace kelvo::sim
