// The drivers that ship with the application. Each driver adds its line here, in the
// order given, as `registerLogger<Driver>();` with its header included above.
#include "LoggerAccess/LoggerFactory.h"

#include "LoggerAccess/Flarm/Flarm.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LXNAV/LXNAVLogger.h"
#include "LoggerAccess/Volkslogger/Volkslogger.h"

namespace kelvo {

void LoggerFactory::registerBuiltinLoggers() {
    registerLogger<LXLogger>();
    registerLogger<Volkslogger>();
    registerLogger<Flarm>();
    registerLogger<LXNAVLogger>();
}

}  // namespace kelvo
