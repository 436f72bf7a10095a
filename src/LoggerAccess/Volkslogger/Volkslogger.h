#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "LoggerAccess/Logger.h"
#include "LoggerAccess/Volkslogger/VLAPI.h"

namespace kelvo {

class Route;
class Task;
class Turnpoint;
class Waypoint;

// The driver of the Volkslogger: flights as IGC files with G records, erasing, and the
// database of waypoints, routes, pilots and the declaration, through the recorder's API
// object. Only one Volkslogger can be connected at a time in the process.
class Volkslogger : public Logger {
  public:
    Volkslogger();
    ~Volkslogger() override;

    static std::string loggerName() { return "Volkslogger"; }
    static char loggerChar() { return 'A'; }
    static std::string nativeTrackFileExtension() { return "IGC"; }
    static int connectionType() { return 1; }
    // It takes commands at one speed only (and sends bulk data at the speed asked for).
    static constexpr int kCommandSpeed = 9600;
    static std::vector<int> lineSpeeds() { return {kCommandSpeed}; }

    void fillCapabilities() override;
    Outcome connect(const std::string& path) override;
    bool stillConnected() override;
    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    Outcome clearDirectory() override;
    // Always writes IGC text; translateToIGC and entry are not used.
    Outcome readFile(const std::filesystem::path& path, int key, bool secure,
                     bool translateToIGC, const FlightEntry* entry) override;
    Outcome readWaypoints(bool reload) override;
    Outcome readRoutes(bool reload) override;
    // The recorder's pilot names are not delivered: the list is only emptied.
    Outcome readPilots(bool reload) override;
    Outcome readDeclaration(bool reload) override;
    std::optional<DeclarationLimits> declarationLimits() const override;
    void disconnect() override;

  protected:
    // The recorder-level steps and record conversions, open to the driver's folder and its
    // tests through VolksloggerInternals.

    // Each writes the database image without the check that every part was read whole
    // (writeDatabaseAndDeclaration).
    bool storeWaypoints();
    bool storeRoutes();
    // The pilot list last read from the recorder is written back unchanged.
    bool storePilots();
    bool storeDeclaration();

    // Logs the message of a result code of the Volkslogger layers (nothing for 0).
    static void reportError(int code);
    // The outcome of a result code, the failure saying what failed; cancelled when the user
    // asked to stop.
    static Outcome outcomeOf(int code, const char* what);

    static std::shared_ptr<Waypoint> readWaypointFromPointer(const vl::VLAPI_DATA::WPT& record);
    static void writeWaypoint(const Waypoint& waypoint, vl::VLAPI_DATA::WPT* record);
    static void writeRoute(const Route& route, vl::VLAPI_DATA::ROUTE* record);
    static std::shared_ptr<Turnpoint> readTurnpointFromPointer(
        const vl::VLAPI_DATA::DCLWPT& record);
    // The zone follows the turnpoint's zone type; other zone types leave the record's zone
    // fields as they were.
    static void writeCompetitionWaypoint(const Turnpoint& turnpoint,
                                         vl::VLAPI_DATA::DCLWPT* record);
    std::shared_ptr<Task> readTaskFromPointer() const;
    std::shared_ptr<Declaration> readDeclarationFromPointer() const;

    vl::VLAPI& api() { return *m_api; }
    bool databaseLoaded() const { return m_databaseLoaded; }
    bool directoryLoaded() const { return m_directoryLoaded; }

    // The whole database image goes back, so it must have been read in this connection.
    Outcome storeDatabaseAndDeclaration() override;

  private:
    // How long connect() waits for the first answer.
    std::chrono::milliseconds connectWait() const;
    // Reads the database image once a connection (again when asked); the parts it holds
    // are known only after a whole read.
    Outcome loadDatabase(bool reload);
    void setDatabaseLoaded(bool loaded);

    std::unique_ptr<vl::VLAPI> m_api;
    bool m_databaseLoaded = false;
    bool m_directoryLoaded = false;
};

}  // namespace kelvo
