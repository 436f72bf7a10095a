#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/LoggerData.h"
#include "LoggerAccess/NativeConversion.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

// The values of a waypoint a recorder keeps besides its name and position.
struct WaypointFields {
    bool elevation = true;
    bool type = true;
    bool runwayDirection = true;
    bool runwayLength = true;
    bool frequency = true;
};

// What a driver supports; the user interface enables its controls by it.
struct LoggerCapabilities {
    bool supportsSecure = false;
    bool supportsIGCFile = false;
    bool hasNativeFile = false;
    bool allowsClearFlights = false;
    bool waypointsInRouteAreReferences = false;
    std::uint32_t maxBaud = 0;              // [bit/s]
    std::uint32_t minBaud = 0;              // [bit/s]
    std::uint32_t maxWaypoints = 0;         // 0: stores no waypoints
    std::uint32_t lenWaypointName = 0;      // 0: not limited here
    std::uint32_t maxRoutes = 0;            // 0: stores no routes
    std::uint32_t lenRouteName = 0;         // 0: not limited here
    bool keepsRouteNames = true;            // false: the recorder names routes itself
    std::uint32_t maxWaypointsInRoute = 0;  //
    std::uint32_t maxDeclarations = 0;      // 0: stores no declaration
    std::uint32_t maxPilots = 0;            //
    std::uint32_t lenPilotName = 0;         // 0: not limited here
    std::uint32_t maxTaskPoints = 0;        // start and finish included; 0: not limited here
    WaypointFields keptWaypointFields;      // what a written waypoint keeps
    // A written declaration takes effect only once the recorder restarted, which the driver
    // does unless told not to (Logger::setRestartAfterDeclaration).
    bool restartsForDeclaration = false;
};

// How far a long transfer has come: the fraction when the total is known, always the bytes
// moved so far, and a short text for the progress sheet.
struct Progress {
    std::optional<double> fraction;  // 0..1
    std::uint64_t bytes = 0;
    std::string text;
};
using ProgressHandler = std::function<void(const Progress&)>;

// A flight recorder driver. The controller calls only these operations and reads
// loggerData(); every operation blocks its (worker) thread until the device has answered,
// and one thread at a time uses a driver. Every operation answers its outcome: a read that
// failed is a failure with its reason, never an empty success, and a cancelled one says so
// (base/Cancellation.h). An operation a driver does not implement logs "Calling abstract
// method ..." and fails, so every call is safe on every driver.
//
// A driver's constructor calls fillCapabilities() (the base constructor reaches only the
// base version), and its destructor calls disconnect() while still connected.
class Logger {
  public:
    Logger();
    virtual ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Class-level identity; each driver hides these with its own.
    static std::string loggerName();
    static char loggerChar();
    static std::string nativeTrackFileExtension();
    static int connectionType();  // 1 serial port, 2 removable volume, 0 none
    // The line speeds the family talks at, in the order its search tries them; none here.
    static std::vector<int> lineSpeeds() { return {}; }
    // The extensions the family's native flights may carry besides its own; none here.
    static std::vector<std::string> otherNativeExtensions() { return {}; }
    // The recorder models a user may name the family by ("Nano"); none here.
    static std::vector<std::string> makes() { return {}; }
    // How the family's native flights become IGC; none here (its flights are IGC already).
    static NativeToIGC nativeToIGC() { return {}; }

    // The three-character base-36 serial of IGC short file names: 0 -> "000",
    // 46655 -> "ZZZ". Larger numbers keep their last three base-36 digits.
    static std::string generateSerialNumberFrom(std::int64_t number);

    virtual void fillCapabilities();
    const LoggerCapabilities& capabilities() const { return m_loggerCapabilities; }
    bool storesWaypoints() const { return m_loggerCapabilities.maxWaypoints != 0; }
    bool storesRoutes() const { return m_loggerCapabilities.maxRoutes != 0; }
    bool storesDeclaration() const { return m_loggerCapabilities.maxDeclarations != 0; }
    bool supportsSecure() const { return m_loggerCapabilities.supportsSecure; }
    bool supportsIGCFile() const { return m_loggerCapabilities.supportsIGCFile; }
    bool hasNativeFile() const { return m_loggerCapabilities.hasNativeFile; }
    bool allowsClearFlights() const { return m_loggerCapabilities.allowsClearFlights; }
    std::uint32_t maxNumberOfWaypoints() const { return m_loggerCapabilities.maxWaypoints; }
    std::uint32_t maxNumberOfRoutes() const { return m_loggerCapabilities.maxRoutes; }
    virtual bool canSaveLoggerDataToLogger();

    // Opens the port at path and finds the recorder on it; a failure says why (the port is
    // no serial port, is in use, or no recorder answered).
    virtual Outcome connect(const std::string& path);
    virtual bool stillConnected();
    virtual Outcome readInfo();
    // A directory that arrived only in part is a failure that says how many entries came.
    virtual Outcome readDirectory(bool reload);
    virtual Outcome clearDirectory();
    // Writes the flight under the key to the target path (see each driver for the native and
    // IGC forms). Success only when the whole flight was read and written; otherwise no
    // file of an earlier download is replaced.
    virtual Outcome readFile(const std::filesystem::path& path, int key, bool secure,
                             bool translateToIGC, const FlightEntry* entry);
    // A successful read marks its part of loggerData() as known; a failed one forgets it.
    virtual Outcome readWaypoints(bool reload);
    virtual Outcome readRoutes(bool reload);
    virtual Outcome readPilots(bool reload);
    virtual Outcome readDeclaration(bool reload);
    // Writes waypoints, routes and declaration back. Refused with nothing sent unless every
    // part the recorder stores was read whole in this connection or given by the user
    // (LoggerData::markKnown), and unless everything fits the recorder (LoggerLimits).
    Outcome writeDatabaseAndDeclaration();
    // What this family's declaration record can hold, so that a written declaration can be
    // read back and compared (DeclarationCheck); nothing when it cannot be read back.
    virtual std::optional<DeclarationLimits> declarationLimits() const;
    virtual void disconnect();
    virtual std::string generateFileName();
    virtual void setKeyspanAccelleration(bool on);

    // The line speed to try first on connect (the one that last worked on the port; 0:
    // none), and the one the recorder answered at [baud] (0 before a connect succeeded).
    void setPreferredLineSpeed(int baud);
    int preferredLineSpeed() const { return m_preferredLineSpeed; }
    int lineSpeed() const { return m_lineSpeed; }
    // The one line speed connect() tries, one of the family's lineSpeeds(): the user gave
    // it, so there is no search.
    void setFixedLineSpeed(int baud);
    // A bound on connect()'s search for the recorder (zero: the driver's own, which may be
    // many seconds), so that a family that is not on the port costs little when the families
    // are tried one after the other. Every speed of the search is tried once whatever the
    // bound; further passes only while it allows.
    void setConnectTimeLimit(std::chrono::milliseconds limit) { m_connectTimeLimit = limit; }
    // Whether a recorder that needs it is restarted after a written declaration (true by
    // default; the pilot may restart it later instead).
    void setRestartAfterDeclaration(bool restart) { m_restartAfterDeclaration = restart; }
    bool restartAfterDeclaration() const { return m_restartAfterDeclaration; }
    std::chrono::milliseconds connectTimeLimit() const { return m_connectTimeLimit; }

    const std::string& portDescriptor() const { return m_portDescriptor; }
    void setPortDescriptor(std::string descriptor) { m_portDescriptor = std::move(descriptor); }
    bool connected() const { return m_connected; }
    bool mustLogActivity() const { return m_mustLogActivity; }
    void setMustLogActivity(bool on) { m_mustLogActivity = on; }

    // Called from the operation's thread during long transfers; may be set at any time.
    void setProgressHandler(ProgressHandler handler);

    LoggerData& loggerData() { return *m_loggerData; }
    const LoggerData& loggerData() const { return *m_loggerData; }

  protected:
    // The driver's own write, called once the data passed the checks.
    virtual Outcome storeDatabaseAndDeclaration();
    // When the user asked to stop: clears the request, so the driver can put the recorder
    // back in order, and answers true.
    static bool takeCancellation();

    void setConnected(bool connected) { m_connected = connected; }
    void setLineSpeed(int baud) { m_lineSpeed = baud; }
    // The speeds connect() tries, in order, of the family's speeds: the fixed one alone, or
    // the preferred one first and then the others as the family lists them.
    std::vector<int> lineSpeedsToTry(const std::vector<int>& familySpeeds) const;
    LoggerCapabilities& mutableCapabilities() { return m_loggerCapabilities; }

    void reportProgress(const Progress& progress) const;
    // The fraction done / total when the total is known (non-zero), else only the bytes.
    void reportProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::string text) const;

  private:
    LoggerCapabilities m_loggerCapabilities;
    std::unique_ptr<LoggerData> m_loggerData;
    std::string m_portDescriptor;
    int m_preferredLineSpeed = 0;
    bool m_lineSpeedFixed = false;
    int m_lineSpeed = 0;
    std::chrono::milliseconds m_connectTimeLimit{0};
    bool m_restartAfterDeclaration = true;
    std::atomic<bool> m_connected{false};  // read by keep-alive threads
    bool m_mustLogActivity = true;
    mutable std::mutex m_progressMutex;
    ProgressHandler m_progressHandler;
};

}  // namespace kelvo
