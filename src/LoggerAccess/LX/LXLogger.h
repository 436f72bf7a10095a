#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "LoggerAccess/LX/LXMemory.h"
#include "LoggerAccess/LX/LXProtocol.h"
#include "LoggerAccess/LX/LXSerial.h"
#include "LoggerAccess/Logger.h"

namespace kelvo {

class LXFaiData;

// The driver of LX, SDI and Filser flight recorders. Every operation blocks its thread.
//
// Between operations a keep-alive thread owned by the driver pings the recorder once a
// second. An operation pauses the pings before its first byte on the line (waiting for a
// ping already under way) and resumes them after its last, so ping bytes and operation
// bytes never interleave on the port.
class LXLogger : public Logger {
  public:
    LXLogger();
    ~LXLogger() override;

    static std::string loggerName() { return "LX/SDI/Filser"; }
    static char loggerChar() { return 'L'; }
    static std::string nativeTrackFileExtension() { return "LXN"; }
    static int connectionType() { return 1; }
    // SDI and Filser recorders name their flights with these (LXFaiData).
    static std::vector<std::string> otherNativeExtensions() { return {"FIL", "SDI"}; }
    static NativeToIGC nativeToIGC();
    static std::vector<int> lineSpeeds();

    void fillCapabilities() override;

    // Opens the port by path and searches the recorder's line speed; nothing is sent when
    // the port cannot be opened.
    Outcome connect(const std::string& path) override;
    void disconnect() override;
    bool stillConnected() override;

    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    // Writes the flight native to the path, or as IGC beside it (extension IGC). False when
    // a range could not be selected, a block came short or failed its CRC, or nothing could
    // be written; what arrived is written all the same.
    Outcome readFile(const std::filesystem::path& path, int key, bool secure,
                     bool translateToIGC, const FlightEntry* entry) override;
    Outcome readWaypoints(bool reload) override;
    Outcome readRoutes(bool reload) override;
    Outcome readDeclaration(bool reload) override;
    std::optional<DeclarationLimits> declarationLimits() const override;
    // The logger information of an identification reply: line 1 holds the version after 8
    // characters, line 2 "xxSERIAL,xxHARDWARE", lines 3 to 5 "key:value". Lines that are
    // missing or do not have that shape add nothing.
    static LoggerInfo identificationInfo(const std::string& reply);

    static constexpr std::size_t kMaxWaypoints = 600;
    static constexpr std::size_t kMaxRoutes = 100;
    // The 21800-byte database block: 600 waypoint records, then 100 route records. Route
    // points missing from the list are appended to it. Nothing when the lists exceed what
    // the recorder holds or a route needs a waypoint that no longer fits (logged).
    static std::optional<Bytes> databaseBlock(WaypointList& waypoints, const RouteList& routes);
    // The 349-byte declaration block: a 0 byte, the flight record and the task record
    // (entered now).
    static Bytes declarationBlock(const Declaration& declaration);

  protected:
    // The link and the recorder-level steps of the operations, open to the driver's folder
    // and its tests through LXLoggerInternals.

    // Tries the line speeds (lineSpeedsToTry) until the recorder answers, for about ten
    // seconds or the connect time limit, one pass at least.
    bool connect();
    bool startSyn();
    bool ping();

    void startKeepAliveTimer();
    void stopKeepAliveTimer();
    void pauseKeepAliveTimer();
    void resumeKeepAliveTimer() { m_busy = false; }
    bool timerRunning() const { return !m_busy; }
    void keepColibriAlive();

    void getMemoryInfo();
    const LXMemory& loggerMemory() const { return m_loggerMemory; }
    bool selectBlock(const LXMemory& range);
    // The data of the flight-memory range from se to ee, block by block; nothing when the
    // range could not be selected. intact (when given) is cleared when a block came short
    // or failed its CRC.
    std::optional<Bytes> getFlightBlock(std::int32_t se, std::int32_t ee, bool* intact = nullptr);
    // The 256-byte security block; nothing when synchronisation failed.
    std::optional<Bytes> getDecryptBlock();

    void addFlight(std::shared_ptr<const LXFaiData> flight, int index);
    // Written without the check that every part was read whole (writeDatabaseAndDeclaration),
    // then read back: success only when the recorder holds what was written, else a failure
    // that names what differs.
    Outcome writeDatabase();
    Outcome writeDeclaration();
    // The class name block; nothing (and the reason in failure) when it did not come whole
    // with its checksum.
    std::optional<std::string> readCompetionClassFromLogger(std::string& failure);

    Outcome storeDatabaseAndDeclaration() override;

  private:
    // Pauses the keep-alive pings for the life of an operation.
    class KeepAlivePause {
      public:
        explicit KeepAlivePause(LXLogger& logger) : m_logger(logger) { logger.pauseKeepAliveTimer(); }
        ~KeepAlivePause() { m_logger.resumeKeepAliveTimer(); }
        KeepAlivePause(const KeepAlivePause&) = delete;
        KeepAlivePause& operator=(const KeepAlivePause&) = delete;

      private:
        LXLogger& m_logger;
    };

    // The failure with its reason, or cancelled when the user asked to stop; the recorder
    // is put back in step either way.
    Outcome failed(std::string reason);

    // One answer byte, taken as soon as it comes: the recorder is given the wait it may take
    // and one byte's time.
    bool readAnswerByte(std::uint8_t& byte, std::chrono::milliseconds wait);
    // STX, a pause, the command byte, a pause.
    void writeCommand(lx::Command command, std::chrono::milliseconds pauseBetween,
                      std::chrono::milliseconds pauseAfter);
    // Asks for a block (ask answers false when the recorder did not take the request) and
    // reads it; a block that came cut off or failed its CRC is asked for once more. Nothing
    // when the first request was not taken; else the last block read, judged by
    // lastBlockOK().
    std::optional<Bytes> readBlockAskingAgain(const std::function<bool()>& ask, int size,
                                              const LXSerial::BlockProgress& progress = {});
    bool readRange(const LXFaiData& flight, Bytes& data);
    // The whole database block, checksum checked.
    Outcome readDatabaseBlock(Bytes& block, const std::string& progressText);
    Outcome verifyDatabase(const Bytes& written);
    bool synchroniseForDeclaration();
    bool writeClassName(int classIndex, const std::string& description);
    // Takes the declaration block (and the class name it refers to) into the logger data;
    // nothing is taken when the class name does not come whole.
    Outcome takeDeclaration(const Bytes& block);
    void keepAliveLoop();

    std::unique_ptr<LXSerial> m_serialPort;
    LXMemory m_loggerMemory = LXMemory::makeDefaultMemoryInfo();

    std::atomic<bool> m_busy{false};
    std::mutex m_lineMutex;  // held by a ping while it is on the line
    std::mutex m_timerMutex;
    std::condition_variable m_timerWake;
    bool m_timerOK = false;
    bool m_timerStop = false;
    std::thread m_keepAliveTimer;
};

}  // namespace kelvo
