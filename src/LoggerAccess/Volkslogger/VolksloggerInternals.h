#pragma once

#include "LoggerAccess/Volkslogger/Volkslogger.h"

namespace kelvo {

// The Volkslogger driver with its recorder API and recorder-level steps open. Internal to
// the driver's folder and its tests: the front ends reach a driver only through Logger.
class VolksloggerInternals : public Volkslogger {
  public:
    using Volkslogger::api;
    using Volkslogger::databaseLoaded;
    using Volkslogger::directoryLoaded;
    using Volkslogger::storeDeclaration;
    using Volkslogger::writeRoute;
};

}  // namespace kelvo
