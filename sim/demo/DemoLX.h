#pragma once

#include "sim/LX/LXRecorderEmulator.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

// Loads an LX recorder with the demo: its identification, the flights in flight memory,
// the waypoint database with the routes, and the declaration.
void loadDemo(LXRecorderEmulator& recorder, const DemoContent& content);

}  // namespace kelvo::sim
