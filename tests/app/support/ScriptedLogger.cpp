#include "support/ScriptedLogger.h"

#include <fstream>

#include "base/UtcDate.h"
#include "geo/Route.h"

namespace kelvo::test {

ScriptedLogger::ScriptedLogger(std::shared_ptr<Script> script) : m_script(std::move(script)) {
    fillCapabilities();
}

ScriptedLogger::~ScriptedLogger() {
    if (connected()) disconnect();
}

LoggerDescriptor ScriptedLogger::descriptor(const std::shared_ptr<Script>& script) {
    return {loggerName(), 'X', "IGC", 1,
            [script] { return std::make_unique<ScriptedLogger>(script); }};
}

void ScriptedLogger::fillCapabilities() {
    Logger::fillCapabilities();
    if (!m_script) return;
    mutableCapabilities().supportsIGCFile = true;
    mutableCapabilities().allowsClearFlights = m_script->allowsClearFlights;
    mutableCapabilities().maxWaypoints = 100;
}

Outcome ScriptedLogger::connect(const std::string&) {
    if (++m_script->connectCalls <= m_script->failingConnects) return Outcome::failure("no answer");
    setConnected(m_script->connectedAfterConnect);
    return Outcome::success();
}

Outcome ScriptedLogger::readInfo() {
    loggerData().setLoggerInfo(m_script->info);
    return {};
}

Outcome ScriptedLogger::readDirectory(bool reload) {
    ++m_script->readDirectoryCalls;
    if (reload) ++m_script->reloadDirectoryCalls;
    if (m_script->progressFraction >= 0)
        reportProgress(Progress{m_script->progressFraction, 100, "directory"});
    loggerData().setFlightDirectory(m_script->directory);
    return {};
}

Outcome ScriptedLogger::clearDirectory() {
    ++m_script->clearCalls;
    m_script->directory.clear();
    return Outcome::success();
}

Outcome ScriptedLogger::readFile(const std::filesystem::path& path, int key, bool, bool,
                                 const FlightEntry* entry) {
    {
        std::lock_guard lock(m_script->mutex);
        m_script->downloadTargets.push_back(path.string());
    }
    for (const std::string& failing : m_script->failingDownloads)
        if (entry && entry->filename == failing) return Outcome::failure("checksum error");
    if (m_script->progressFraction >= 0)
        reportProgress(Progress{m_script->progressFraction, 100, "flight"});
    std::ofstream(path, std::ios::binary) << m_script->flightText;
    if (m_script->keepsFlights)
        loggerData().setFlight(Bytes(m_script->flightText.begin(), m_script->flightText.end()),
                               key);
    return {};
}

Outcome ScriptedLogger::readWaypoints(bool) {
    ++m_script->readWaypointsCalls;
    if (m_script->databaseReadFails) {
        loggerData().setWaypoints({});
        loggerData().forget(LoggerPart::Waypoints);
        loggerData().forget(LoggerPart::Routes);
        return Outcome::failure("checksum error in the waypoint database");
    }
    loggerData().setWaypoints(m_script->waypoints);
    loggerData().markKnown(LoggerPart::Waypoints);
    return {};
}

Outcome ScriptedLogger::readRoutes(bool) {
    if (m_script->databaseReadFails)
        return Outcome::failure("checksum error in the waypoint database");
    loggerData().setRoutes(m_script->routes);
    loggerData().markKnown(LoggerPart::Routes);
    return {};
}

Outcome ScriptedLogger::readDeclaration(bool) {
    ++m_script->readDeclarationCalls;
    loggerData().setDeclaration(std::make_shared<Declaration>(m_script->declaration));
    loggerData().markKnown(LoggerPart::Declaration);
    return {};
}

Outcome ScriptedLogger::storeDatabaseAndDeclaration() {
    ++m_script->writeCalls;
    std::lock_guard lock(m_script->mutex);
    m_script->written = *loggerData().declaration();
    return m_script->writeAnswer ? Outcome::success() : Outcome::failure("no answer");
}

void ScriptedLogger::disconnect() {
    ++m_script->disconnectCalls;
    setConnected(false);
}

FlightEntry makeEntry(int number, const std::string& filename, const char* takeoff) {
    FlightEntry entry;
    entry.number = std::to_string(number);
    entry.filename = filename;
    entry.takeoff = takeoff;
    entry.date = utcTime(2009, 7, 14, 9, 5, 0);
    entry.duration = "01:30:00";
    return entry;
}

}  // namespace kelvo::test
