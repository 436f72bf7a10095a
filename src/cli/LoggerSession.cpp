#include "cli/LoggerSession.h"

#include <algorithm>
#include <ranges>
#include <set>
#include <string_view>

#include "LoggerAccess/LineSpeedMemory.h"
#include "LoggerAccess/LoggerDetector.h"
#include "LoggerAccess/LoggerFactory.h"
#include "LoggerAccess/SerialPortDictionary.h"
#include "base/Delay.h"
#include "base/Text.h"
#include "cli/CliArguments.h"

namespace kelvo::cli {

namespace {

// Each attempt runs the driver's own speed search; a recorder that was asleep usually
// answers the second.
constexpr int kConnectAttempts = 3;
constexpr double kSecondsBetweenAttempts = 2.0;

// Whether the --type value names the family: its whole name, one of the makes the name
// lists ("LX/SDI/Filser": lx, sdi or filser) or one of its models ("Nano"), in any case.
bool typeNamesFamily(const std::string& type, const LoggerDescriptor& family) {
    const std::string wanted = toUpperAscii(type);
    if (wanted == toUpperAscii(family.name)) return true;
    for (const auto make : std::views::split(family.name, '/')) {
        if (wanted == toUpperAscii(std::string_view(make.begin(), make.end()))) return true;
    }
    return std::ranges::any_of(family.makes,
                               [&wanted](const std::string& make) { return wanted == toUpperAscii(make); });
}

// The --speed value, when given: a line speed that some family talks at.
std::optional<int> lineSpeedOf(const CliArguments& arguments) {
    const std::optional<int> speed = arguments.integer("--speed");
    if (!speed) return std::nullopt;
    std::set<int> known;
    for (const auto& name : LoggerSession::registry().registeredLoggers()) {
        const auto& speeds = LoggerSession::registry().loggerClassWithName(name)->lineSpeeds;
        known.insert(speeds.begin(), speeds.end());
    }
    if (known.contains(*speed)) return speed;
    std::string list;
    for (const int baud : known) list += (list.empty() ? "" : ", ") + std::to_string(baud);
    throw UsageError("--speed needs a line speed that a recorder talks at (" + list + "), not " +
                     std::to_string(*speed));
}

}  // namespace

LoggerFactory& LoggerSession::registry() {
    LoggerFactory& factory = LoggerFactory::shared();
    if (factory.registeredLoggers().empty()) {
        factory.registerBuiltinLoggers();
        factory.registerPlugins();
    }
    return factory;
}

std::string LoggerSession::loggerNameOf(const std::string& type) {
    if (LoggerDetector::isAutomatic(type)) return LoggerDetector::kAutomatic;
    for (const auto& name : registry().registeredLoggers()) {
        if (typeNamesFamily(type, *registry().loggerClassWithName(name))) return name;
    }
    std::string known;
    for (const auto& name : registry().registeredLoggers()) known += " \"" + name + "\"";
    throw UsageError("unknown logger type \"" + type + "\"; known:" +
                     (known.empty() ? std::string(" none in this build") : known) + " \"" +
                     LoggerDetector::kAutomatic + "\"");
}

std::string LoggerSession::devicePathOf(const std::string& port) {
    return SerialPortDictionary::portNamed(SerialPortDictionary::serialPortDictionary(), port).path;
}

LoggerSession::LoggerSession(const CliArguments& arguments)
    : LoggerSession(arguments.value("--type").value_or(LoggerDetector::kAutomatic),
                    arguments.required("--port"), lineSpeedOf(arguments)) {}

LoggerSession::LoggerSession(const std::string& type, const std::string& port,
                             std::optional<int> speed) {
    const std::string wanted = loggerNameOf(type);
    const PortEntry chosen =
        SerialPortDictionary::portNamed(SerialPortDictionary::serialPortDictionary(), port);
    const std::string& path = chosen.path;
    const LineSpeedMemory speeds;
    const LoggerDetector detector(registry());
    LoggerDetector::Result result;
    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
        result = speed ? detector.connectAtSpeed(wanted, path, *speed)
                       : detector.connect(wanted, path, speeds.speedFor(chosen));
        if (result.outcome || !result.outcome.retryable()) break;
        if (attempt < kConnectAttempts) delaySeconds(kSecondsBetweenAttempts);
    }
    if (!result.outcome) throw OperationFailure(result.outcome.reason());
    m_family = *registry().loggerClassWithName(result.loggerName);
    m_logger = std::move(result.logger);
    speeds.remember(chosen, m_logger->lineSpeed());
}

LoggerSession::~LoggerSession() {
    if (m_logger->connected()) m_logger->disconnect();
}

}  // namespace kelvo::cli
