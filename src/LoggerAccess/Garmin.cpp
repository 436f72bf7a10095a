#include "LoggerAccess/Garmin.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "base/Log.h"
#include "base/Text.h"

namespace kelvo {
namespace {

std::string_view environmentPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
}

}  // namespace

Garmin::Garmin() : Garmin(environmentPath()) {}

Garmin::Garmin(std::string_view searchPath) {
    if (const auto found = findExecutable("gpsbabel", searchPath)) {
        m_gpsBabelPath = found->string();
        logf("gpsBabelPath = %s", m_gpsBabelPath->c_str());
    } else {
        logLine("gpsbabel was not found.");
    }
}

Garmin::~Garmin() {
    if (connected()) disconnect();
}

Outcome Garmin::connect(const std::string&) {
    logLine("Calling method 'connect' in Garmin class.");
    setConnected(true);
    return Outcome::success();
}

bool Garmin::stillConnected() {
    logLine("Calling method 'stillConnected' in Garmin class.");
    return connected();
}

void Garmin::disconnect() {
    logLine("Calling method 'disconnect' in Garmin class.");
    setConnected(false);
}

Outcome Garmin::readInfo() {
    logLine("Adding one bogus infoline to the LoggerInfo.");
    loggerData().setLoggerInfoObject(m_gpsBabelPath, "gpsBabelPath");
    logf("Loggerdata now contains %d items.", static_cast<int>(loggerData().loggerInfo().size()));
    return Outcome::success();
}

std::optional<std::filesystem::path> Garmin::findExecutable(std::string_view name,
                                                            std::string_view searchPath) {
    for (const std::string& folder : splitAt(searchPath, ':')) {
        if (folder.empty()) continue;
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace kelvo
