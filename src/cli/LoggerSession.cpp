#include "cli/LoggerSession.h"

#include <ranges>
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

// Whether the --type value names the family: its whole name or one of the makes the name
// lists ("LX/SDI/Filser": lx, sdi or filser), in any case.
bool typeNamesFamily(const std::string& type, const std::string& name) {
    const std::string wanted = toUpperAscii(type);
    if (wanted == toUpperAscii(name)) return true;
    for (const auto make : std::views::split(name, '/')) {
        if (wanted == toUpperAscii(std::string_view(make.begin(), make.end()))) return true;
    }
    return false;
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
        if (typeNamesFamily(type, name)) return name;
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
                    arguments.required("--port")) {}

LoggerSession::LoggerSession(const std::string& type, const std::string& port) {
    const std::string wanted = loggerNameOf(type);
    const PortEntry chosen =
        SerialPortDictionary::portNamed(SerialPortDictionary::serialPortDictionary(), port);
    const std::string& path = chosen.path;
    const LineSpeedMemory speeds;
    const LoggerDetector detector(registry());
    LoggerDetector::Result result;
    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
        result = detector.connect(wanted, path, speeds.speedFor(chosen));
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
