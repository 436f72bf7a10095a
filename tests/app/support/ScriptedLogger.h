#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerFactory.h"
#include "geo/Declaration.h"

namespace kelvo::test {

// What a scripted driver answers and what it was asked. One script serves every driver
// instance the registry builds from it; the counters are read by the test thread while a
// worker runs the driver.
struct Script {
    // Device behaviour.
    int failingConnects = 0;            // connect() answers NO this many times first
    bool connectedAfterConnect = true;  // stillConnected() after a YES
    bool allowsClearFlights = false;
    bool writeAnswer = true;
    bool databaseReadFails = false;             // readWaypoints() fails with a reason
    std::vector<std::string> failingDownloads;  // file names whose readFile() answers NO
    bool keepsFlights = true;                   // stores the downloaded bytes in flights()
    std::string flightText = "AXXX001 scripted flight\r\nHFDTE140709\r\n";
    double progressFraction = -1;  // reported during readDirectory and readFile when >= 0
    LoggerInfo info = {{"Version", "1.0"}, {"Serial number", "12345 (9IX)"}};
    FlightDirectory directory;
    WaypointList waypoints;
    RouteList routes;
    Declaration declaration;

    // What happened.
    std::atomic<int> connectCalls{0};
    std::atomic<int> disconnectCalls{0};
    std::atomic<int> readDirectoryCalls{0};
    std::atomic<int> reloadDirectoryCalls{0};
    std::atomic<int> readWaypointsCalls{0};
    std::atomic<int> readDeclarationCalls{0};
    std::atomic<int> writeCalls{0};
    std::atomic<int> clearCalls{0};
    std::atomic<bool> keyspanAcceleration{false};
    std::mutex mutex;     // guards the copies below
    Declaration written;  // the declaration at the last write
    std::vector<std::string> downloadTargets;
};

// A driver that plays its script instead of a device.
class ScriptedLogger : public Logger {
  public:
    explicit ScriptedLogger(std::shared_ptr<Script> script);
    ~ScriptedLogger() override;

    static std::string loggerName() { return "Scripted"; }
    static LoggerDescriptor descriptor(const std::shared_ptr<Script>& script);

    void fillCapabilities() override;
    Outcome connect(const std::string& path) override;
    bool stillConnected() override { return connected(); }
    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    Outcome clearDirectory() override;
    Outcome readFile(const std::filesystem::path& path, int key, bool secure, bool translateToIGC,
                     const FlightEntry* entry) override;
    Outcome readWaypoints(bool reload) override;
    Outcome readRoutes(bool reload) override;
    Outcome readPilots(bool) override { return {}; }
    Outcome readDeclaration(bool reload) override;
    void disconnect() override;

  protected:
    Outcome storeDatabaseAndDeclaration() override;
    void setKeyspanAccelleration(bool on) override { m_script->keyspanAcceleration = on; }

  private:
    std::shared_ptr<Script> m_script;
};

// A directory entry as the drivers make them.
FlightEntry makeEntry(int number, const std::string& filename, const char* takeoff = "1");

}  // namespace kelvo::test
