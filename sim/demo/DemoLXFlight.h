#pragma once

#include "base/Bytes.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/demo/DemoFlight.h"

namespace kelvo::sim {

// The flight as an LX recorder stores it: identification, date, pilot and glider, the
// declared task, then origins and fixes (an origin every minute), events and the security
// records.
LXNativeFlightEncoder demoLXNativeFlight(const DemoFlight& flight);

}  // namespace kelvo::sim
