#include "LoggerAccess/LoggerDetector.h"

#include <algorithm>

#include "LoggerAccess/LoggerFactory.h"
#include "base/Log.h"
#include "base/Text.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// How long one family is given while the families are tried in turn: a recorder that is
// there answers its first query within this; one that is not costs little more.
constexpr auto kProbeTime = 1s;
// How long a family the user named is searched for before the others are tried.
constexpr auto kNamedSearchTime = 4s;

// Quickest to rule out first: the Volkslogger's one fixed speed, one pass over the LX
// speeds, then the Flarm's second-long queries.
const char* const kQuickestFirst[] = {"Volkslogger", "LX/SDI/Filser", "Flarm"};
constexpr int kSerialPort = 1;

}  // namespace

LoggerDetector::LoggerDetector(const LoggerFactory& factory) : m_factory(factory) {}

bool LoggerDetector::isAutomatic(const std::string& type) {
    return toUpperAscii(type) == toUpperAscii(kAutomatic);
}

std::vector<std::string> LoggerDetector::probeOrder() const {
    std::vector<std::string> order;
    for (const char* name : kQuickestFirst) {
        if (m_factory.loggerClassWithName(name)) order.emplace_back(name);
    }
    std::vector<std::string> others;
    for (const std::string& name : m_factory.registeredLoggers()) {
        const bool listed = std::find(order.begin(), order.end(), name) != order.end();
        if (!listed && m_factory.loggerClassWithName(name)->connectionType == kSerialPort) {
            others.push_back(name);
        }
    }
    std::sort(others.begin(), others.end());
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

LoggerDetector::Result LoggerDetector::connect(const std::string& type, const std::string& path,
                                               int rememberedSpeed) const {
    if (isAutomatic(type)) return detect(path, rememberedSpeed);
    return connectNamed(type, path, rememberedSpeed);
}

LoggerDetector::Result LoggerDetector::tryFamily(const std::string& name, const std::string& path,
                                                 int rememberedSpeed,
                                                 std::chrono::milliseconds limit) const {
    Result result{name, m_factory.loggerInstanceWithName(name), {}};
    if (!result.logger) {
        return {name, nullptr, Outcome::refusal("unknown logger type \"" + name + "\"")};
    }
    result.logger->setPreferredLineSpeed(rememberedSpeed);
    result.logger->setConnectTimeLimit(limit);
    result.outcome = result.logger->connect(path);
    result.logger->setConnectTimeLimit({});
    if (!result.outcome) {
        result.logger->disconnect();  // frees the port for the next family
        result.logger.reset();
    }
    return result;
}

LoggerDetector::Result LoggerDetector::detect(const std::string& path, int rememberedSpeed) const {
    std::string tried;
    for (const std::string& name : probeOrder()) {
        Result result = tryFamily(name, path, rememberedSpeed, kProbeTime);
        // A port that cannot be used fails every family alike.
        if (result.outcome || !result.outcome.retryable()) return result;
        tried += (tried.empty() ? "" : ", ") + name;
    }
    logf("No recorder answered on %s (tried %s).", path.c_str(), tried.c_str());
    return {"", nullptr, Outcome::failure("no recorder answered on " + path + " (tried " + tried + ")")};
}

LoggerDetector::Result LoggerDetector::connectNamed(const std::string& name,
                                                    const std::string& path,
                                                    int rememberedSpeed) const {
    Result named = tryFamily(name, path, rememberedSpeed, kNamedSearchTime);
    if (named.outcome || !named.outcome.retryable()) return named;
    for (const std::string& other : probeOrder()) {
        if (other == name) continue;
        Result found = tryFamily(other, path, rememberedSpeed, kProbeTime);
        if (!found.outcome) continue;
        found.logger->disconnect();
        logf("No %s recorder answered on %s; a %s did.", name.c_str(), path.c_str(),
             other.c_str());
        return {"", nullptr,
                Outcome::refusal("no " + name + " recorder answered on this port; a " + other +
                                 " answered")};
    }
    return named;
}

}  // namespace kelvo
