#pragma once

#include "sim/Flarm/FlarmEmulator.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

// A Flarm that has logged the demo flights, with the declaration's pilot and glider in its
// configuration.
FlarmEmulatorConfig demoFlarmConfig(const DemoContent& content);

}  // namespace kelvo::sim
