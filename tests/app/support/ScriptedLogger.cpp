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
    return {loggerName(), 'X', script->nativeExtension, 1,
            [script] { return std::make_unique<ScriptedLogger>(script); }};
}

void ScriptedLogger::fillCapabilities() {
    Logger::fillCapabilities();
    if (!m_script) return;
    mutableCapabilities().supportsIGCFile = true;
    mutableCapabilities().allowsClearFlights = m_script->allowsClearFlights;
    mutableCapabilities().maxWaypoints = 100;
}

Outcome ScriptedLogger::connect(const std::string& path) {
    {
        std::lock_guard lock(m_script->mutex);
        m_script->connectPath = path;
    }
    if (++m_script->connectCalls <= m_script->failingConnects) {
        return Outcome::failure("no answer");
    }
    setConnected(m_script->connectedAfterConnect);
    return Outcome::success();
}

void ScriptedLogger::readInfo() {
    setLoggerInfo(m_script->info);
}

void ScriptedLogger::readDirectory(bool reload) {
    ++m_script->readDirectoryCalls;
    if (reload) ++m_script->reloadDirectoryCalls;
    if (m_script->progressFraction >= 0)
        reportProgress(Progress{m_script->progressFraction, 100, "directory"});
    setFlightDirectory(m_script->directory);
}

bool ScriptedLogger::clearDirectory() {
    ++m_script->clearCalls;
    if (m_script->clearAnswer) m_script->directory.clear();
    return m_script->clearAnswer;
}

bool ScriptedLogger::readFile(const std::filesystem::path& path, int key, bool, bool,
                              const FlightEntry* entry) {
    ++m_script->readFileCalls;
    {
        std::lock_guard lock(m_script->mutex);
        m_script->downloadTargets.push_back(path.string());
    }
    for (const std::string& failing : m_script->failingDownloads)
        if (entry && entry->filename == failing) return false;
    std::ofstream(path, std::ios::binary) << m_script->flightText;
    if (m_script->keepsFlights)
        loggerData().setFlight(Bytes(m_script->flightText.begin(), m_script->flightText.end()),
                               key);
    return true;
}

void ScriptedLogger::readWaypoints(bool) {
    ++m_script->readWaypointsCalls;
    setWaypoints(m_script->waypoints);
}

void ScriptedLogger::readRoutes(bool) {
    setRoutes(m_script->routes);
}

void ScriptedLogger::readDeclaration(bool) {
    ++m_script->readDeclarationCalls;
    setDeclaration(std::make_shared<Declaration>(m_script->declaration));
}

bool ScriptedLogger::writeDatabaseAndDeclaration() {
    ++m_script->writeCalls;
    std::lock_guard lock(m_script->mutex);
    m_script->written = *declaration();
    return m_script->writeAnswer;
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
