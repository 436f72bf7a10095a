#pragma once

#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

// A Volkslogger that has logged the demo flights and holds the demo waypoints, routes, two
// pilots and the declaration.
VolksloggerMemory demoVolksloggerMemory(const DemoContent& content);

}  // namespace kelvo::sim
