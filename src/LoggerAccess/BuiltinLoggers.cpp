// The drivers that ship with the application. Each driver adds its line here, in the
// order given, as `registerLogger<Driver>();` with its header included above.
#include "LoggerAccess/LoggerFactory.h"

namespace kelvo {

void LoggerFactory::registerBuiltinLoggers() {
    // LX/SDI/Filser, then Volkslogger.
}

void LoggerFactory::registerFutureLoggers() {
    // Flarm.
}

}  // namespace kelvo
