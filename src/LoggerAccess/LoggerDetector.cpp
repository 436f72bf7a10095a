#include "LoggerAccess/LoggerDetector.h"

#include <algorithm>

#include "LoggerAccess/LoggerFactory.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/Text.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// How long one family is given while the families are tried in turn: a recorder that is
// there answers its first query within this; one that is not costs little more. (A family
// of several speeds tries each of them once whatever this is.)
constexpr auto kProbeTime = 500ms;
// How long a family the user named is searched for before the others are tried.
constexpr auto kNamedSearchTime = 4s;

// Quickest to rule out first: the Volkslogger's one speed, then a pass over the LX speeds
// and one over the Flarm's (each a few short tries at every speed).
const char* const kQuickestFirst[] = {"Volkslogger", "LX/SDI/Filser", "Flarm"};
constexpr int kSerialPort = 1;

// "9600", "9600 or 19200", "4800, 9600 or 19200", whatever the order given
std::string speedsText(std::vector<int> speeds) {
    std::sort(speeds.begin(), speeds.end());
    std::string text;
    for (std::size_t i = 0; i < speeds.size(); ++i) {
        if (i > 0) text += i + 1 == speeds.size() ? " or " : ", ";
        text += std::to_string(speeds[i]);
    }
    return text;
}

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
    return connectWith(type, path, {rememberedSpeed, false});
}

LoggerDetector::Result LoggerDetector::connectAtSpeed(const std::string& type,
                                                      const std::string& path, int speed) const {
    return connectWith(type, path, {speed, true});
}

LoggerDetector::Result LoggerDetector::connectWith(const std::string& type, const std::string& path,
                                                   LineSpeed speed) const {
    if (isAutomatic(type)) return detect(path, speed);
    return connectNamed(type, path, speed);
}

bool LoggerDetector::talksAt(const std::string& name, LineSpeed speed) const {
    const LoggerDescriptor* family = m_factory.loggerClassWithName(name);
    if (!speed.fixed || !family || family->lineSpeeds.empty()) return true;
    const auto& speeds = family->lineSpeeds;
    return std::find(speeds.begin(), speeds.end(), speed.baud) != speeds.end();
}

LoggerDetector::Result LoggerDetector::tryFamily(const std::string& name, const std::string& path,
                                                 LineSpeed speed,
                                                 std::chrono::milliseconds limit) const {
    Result result{name, m_factory.loggerInstanceWithName(name), {}};
    if (!result.logger) {
        return {name, nullptr, Outcome::refusal("unknown logger type \"" + name + "\"")};
    }
    if (speed.fixed) {
        result.logger->setFixedLineSpeed(speed.baud);
    } else {
        result.logger->setPreferredLineSpeed(speed.baud);
    }
    result.logger->setConnectTimeLimit(limit);
    result.outcome = result.logger->connect(path);
    result.logger->setConnectTimeLimit({});
    if (!result.outcome) {
        result.logger->disconnect();  // frees the port for the next family
        result.logger.reset();
    }
    return result;
}

LoggerDetector::Result LoggerDetector::detect(const std::string& path, LineSpeed speed) const {
    std::string tried;
    for (const std::string& name : probeOrder()) {
        if (!talksAt(name, speed)) continue;
        Result result = tryFamily(name, path, speed, kProbeTime);
        // A port that cannot be used fails every family alike.
        if (result.outcome || !result.outcome.retryable()) return result;
        tried += (tried.empty() ? "" : ", ") + name;
    }
    if (tried.empty()) {
        return {"", nullptr, Outcome::refusal(stringf("no recorder talks at %d baud", speed.baud))};
    }
    logf("No recorder answered on %s (tried %s).", path.c_str(), tried.c_str());
    return {"", nullptr, Outcome::failure("no recorder answered on " + path + " (tried " + tried + ")")};
}

LoggerDetector::Result LoggerDetector::connectNamed(const std::string& name,
                                                    const std::string& path,
                                                    LineSpeed speed) const {
    if (!talksAt(name, speed)) {
        const std::string speeds = speedsText(m_factory.loggerClassWithName(name)->lineSpeeds);
        return {name, nullptr,
                Outcome::refusal(stringf("the %s talks at %s baud, not at %d", name.c_str(),
                                         speeds.c_str(), speed.baud))};
    }
    Result named = tryFamily(name, path, speed, kNamedSearchTime);
    if (named.outcome || !named.outcome.retryable()) return named;
    for (const std::string& other : probeOrder()) {
        if (other == name || !talksAt(other, speed)) continue;
        Result found = tryFamily(other, path, speed, kProbeTime);
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
