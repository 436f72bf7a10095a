#include "cli/LoggerSession.h"

#include <ranges>
#include <string_view>

#include "LoggerAccess/LineSpeedMemory.h"
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
    for (const auto& name : registry().registeredLoggers()) {
        if (typeNamesFamily(type, name)) return name;
    }
    std::string known;
    for (const auto& name : registry().registeredLoggers()) known += " \"" + name + "\"";
    throw UsageError("unknown logger type \"" + type +
                     "\"; known:" + (known.empty() ? std::string(" none in this build") : known));
}

std::string LoggerSession::devicePathOf(const std::string& port) {
    const PortDictionary ports = SerialPortDictionary::serialPortDictionary();
    const auto found = ports.find(port);
    return found == ports.end() ? port : found->second;
}

LoggerSession::LoggerSession(const std::string& type, const std::string& port)
    : m_family(*registry().loggerClassWithName(loggerNameOf(type))), m_logger(m_family.create()) {
    const std::string path = devicePathOf(port);
    const LineSpeedMemory speeds;
    m_logger->setPreferredLineSpeed(speeds.speedFor(path));
    Outcome outcome;
    for (int attempt = 1; attempt <= kConnectAttempts; ++attempt) {
        outcome = m_logger->connect(path);
        if (outcome || !outcome.retryable()) break;
        if (attempt < kConnectAttempts) delaySeconds(kSecondsBetweenAttempts);
    }
    if (!outcome) throw OperationFailure(outcome.reason());
    speeds.remember(path, m_logger->lineSpeed());
}

LoggerSession::~LoggerSession() {
    if (m_logger->connected()) m_logger->disconnect();
}

}  // namespace kelvo::cli
