#pragma once

#include "LoggerAccess/LX/LXLogger.h"

namespace kelvo {

// The LX driver with its link calls and recorder-level steps open. Internal to the driver's
// folder and its tests: the front ends reach a driver only through Logger.
class LXLoggerInternals : public LXLogger {
  public:
    using LXLogger::getDecryptBlock;
    using LXLogger::getFlightBlock;
    using LXLogger::getMemoryInfo;
    using LXLogger::loggerMemory;
    using LXLogger::pauseKeepAliveTimer;
    using LXLogger::ping;
    using LXLogger::timerRunning;
    using LXLogger::writeDatabase;
    using LXLogger::writeDeclaration;
};

}  // namespace kelvo
