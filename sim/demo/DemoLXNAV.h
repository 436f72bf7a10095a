#pragma once

#include "sim/LXNAV/LXNAVEmulator.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

// An LXNAV Nano3 that has logged the demo flights (its logbook oldest first) and holds the
// demo declaration. Without a clock it dates every flight 00.00.1980 and knows no landing.
LXNAVEmulatorConfig demoLXNAVConfig(const DemoContent& content, bool withClock = true);

}  // namespace kelvo::sim
