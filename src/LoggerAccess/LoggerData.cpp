#include "LoggerAccess/LoggerData.h"

#include <algorithm>

#include "base/FileName.h"
#include "base/Format.h"
#include "base/InputFile.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

template <typename List>
auto elementAt(const List& list, std::size_t index) -> std::optional<typename List::value_type> {
    if (index >= list.size()) return std::nullopt;
    return list[index];
}

}  // namespace

LoggerData::LoggerData() : m_declaration(std::make_shared<Declaration>()) {}

LoggerData::~LoggerData() = default;

void LoggerData::clear() {
    m_loggerInfo.clear();
    m_flightDirectory.clear();
    m_flights.clear();
    m_waypoints.clear();
    m_routes.clear();
    m_pilots.clear();
    m_declaration->clear();
    m_known.reset();
}

void LoggerData::setDeclaration(std::shared_ptr<Declaration> declaration) {
    m_declaration = declaration ? std::move(declaration) : std::make_shared<Declaration>();
}

void LoggerData::setLoggerInfoObject(std::optional<std::string> value, const std::string& key) {
    if (value) {
        m_loggerInfo[key] = std::move(*value);
    } else {
        m_loggerInfo.erase(key);
    }
}

std::optional<std::string> LoggerData::loggerInfoForKey(const std::string& key) const {
    const auto found = m_loggerInfo.find(key);
    if (found == m_loggerInfo.end()) return std::nullopt;
    return found->second;
}

void LoggerData::setFlightDirectory(FlightDirectory directory) {
    m_flightDirectory.clear();
    for (FlightEntry& entry : directory) addFlightToDirectory(std::move(entry));
}

void LoggerData::addFlightToDirectory(FlightEntry entry) {
    if (entry.filename) {
        const int number = entry.key().value_or(static_cast<int>(m_flightDirectory.size()));
        std::string fallback = stringf("flight-%d", number);
        if (entry.date) {
            const UtcFields day = utcFields(*entry.date);
            fallback += stringf("-%04d-%02d-%02d", day.year, day.month, day.day);
        }
        entry.filename = safeFileName(*entry.filename, fallback + ".IGC");
    }
    m_flightDirectory.push_back(std::move(entry));
}

const FlightEntry* LoggerData::flightInDirectoryAtIndex(std::size_t index) const {
    return index < m_flightDirectory.size() ? &m_flightDirectory[index] : nullptr;
}

std::optional<std::string> LoggerData::fileNameForFlightInDirectoryAtIndex(
    std::size_t index) const {
    const FlightEntry* entry = flightInDirectoryAtIndex(index);
    return entry ? entry->filename : std::nullopt;
}

void LoggerData::setFlight(Bytes flight, int key) {
    m_flights[key] = std::move(flight);
}

bool LoggerData::setFlightFromFile(const std::filesystem::path& path, int key) {
    InputFile file = readInputFile(path);
    if (!file) return false;
    setFlight(std::move(file.bytes), key);
    return true;
}

const Bytes* LoggerData::flightWithKey(int key) const {
    const auto found = m_flights.find(key);
    return found == m_flights.end() ? nullptr : &found->second;
}

void LoggerData::addWaypoint(std::shared_ptr<Waypoint> waypoint) {
    m_waypoints.push_back(std::move(waypoint));
}

void LoggerData::addRoute(std::shared_ptr<Route> route) {
    m_routes.push_back(std::move(route));
}

void LoggerData::addPilot(std::string pilot) {
    m_pilots.push_back(std::move(pilot));
}

std::shared_ptr<Waypoint> LoggerData::waypointAtIndex(std::size_t index) const {
    return elementAt(m_waypoints, index).value_or(nullptr);
}

std::shared_ptr<Route> LoggerData::routeAtIndex(std::size_t index) const {
    return elementAt(m_routes, index).value_or(nullptr);
}

std::optional<std::string> LoggerData::pilotAtIndex(std::size_t index) const {
    return elementAt(m_pilots, index);
}

bool LoggerData::waypointExist(const Waypoint& waypoint) const {
    return std::any_of(m_waypoints.begin(), m_waypoints.end(),
                       [&](const auto& stored) { return stored && stored->isEqualTo(waypoint); });
}

}  // namespace kelvo
