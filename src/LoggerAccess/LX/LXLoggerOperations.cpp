// The operations of the LX driver behind the common logger interface: identification,
// directory, flight download, database and declaration. The link they stand on is in
// LXLogger.cpp.

#include <algorithm>

#include "LoggerAccess/LX/LXFaiData.h"
#include "LoggerAccess/LX/LXFlight.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "LoggerAccess/LX/LXTask.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "base/AtomicFile.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/Windows1252.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

constexpr std::int32_t kPieceSize = 8192;
constexpr std::size_t kDirectoryRecordSize = 96;
constexpr int kEmptyDirectoryReadLimit = 3;
// More records than a recorder's memory can hold flights: a line that keeps babbling.
constexpr int kDirectoryReadLimit = 1000;
constexpr std::size_t kDatabaseSize = 21800;
constexpr std::size_t kRoutesOffset = 18600;
constexpr std::size_t kDeclarationSize = 1 + LXFlight::kSize + LXTask::kSize;
constexpr std::size_t kClassNameSize = 9;
constexpr int kIdentificationSize = 320;
constexpr int kDeclarationSyncAttempts = 15;

// The lines of a reply separated by CR LF.
std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The text without its first count characters (empty when it is not longer).
std::string dropFirst(const std::string& text, std::size_t count) {
    return text.size() > count ? text.substr(count) : std::string();
}

// Class names of the class block by class index 2..8; other classes send their own name.
std::string classBlockName(int classIndex, const std::string& description) {
    static const char* const kNames[] = {"STANDARD", "15-METER", "18-METER", "DOUBLE",
                                         "OPEN",     "WORLD",    "MOTOR_GL"};
    return classIndex >= 2 && classIndex <= 8 ? kNames[classIndex - 2] : description;
}

}  // namespace

void LXLogger::readInfo() {
    logLine("Calling method 'getInfo' in LXLogger class.");
    pauseKeepAliveTimer();
    delayMilliseconds(500);
    if (!ping()) {
        resumeKeepAliveTimer();
        return;
    }
    delayMilliseconds(5);
    m_serialPort->flushR();
    delayMilliseconds(5);
    writeCommand(lx::Command::ReadIdentification, lx::kIdentificationGap, lx::kIdentificationAnswerWait);
    std::vector<std::uint8_t> reply(kIdentificationSize + 1, 0);
    const int count = m_serialPort->readBuffer(reply.data(), kIdentificationSize);
    logf("Read %d bytes of identification.", count);
    if (count > 0) {
        const std::string text = windows1252ToUtf8(reinterpret_cast<const char*>(reply.data()));
        logLine(text);
        for (const auto& [key, value] : identificationInfo(text)) {
            loggerData().setLoggerInfoObject(value, key);
        }
    } else {
        readDeclaration(false);
        const auto& declaration = this->declaration();
        if (declaration) {
            loggerData().setLoggerInfoObject(declaration->pilot1(), "Pilot");
            loggerData().setLoggerInfoObject(declaration->gliderType(), "Glider Type");
            loggerData().setLoggerInfoObject(declaration->competitionID(), "Competition ID");
            loggerData().setLoggerInfoObject(declaration->competitionClassDescription(),
                                             "Competition Class");
            loggerData().setLoggerInfoObject(declaration->gliderID(), "Registration");
        }
    }
    resumeKeepAliveTimer();
}

LoggerInfo LXLogger::identificationInfo(const std::string& reply) {
    LoggerInfo info;
    const auto lines = crlfLines(reply);
    if (lines.size() > 1) info["Version"] = dropFirst(lines[1], 8);
    if (lines.size() > 2) {
        const auto parts = splitAt(lines[2], ',');
        if (parts.size() == 2) {
            const std::string serial = dropFirst(parts[0], 2);
            info["Serial number"] =
                stringf("%s (%s)", serial.c_str(),
                        generateSerialNumberFrom(leadingInteger(serial)).c_str());
            info["Hardware version"] = dropFirst(parts[1], 2);
        }
    }
    for (std::size_t i = 3; i <= 5 && i < lines.size(); ++i) {
        const auto parts = splitAt(lines[i], ':');
        if (parts.size() == 2) info[parts[0]] = parts[1];
    }
    return info;
}

void LXLogger::readDirectory(bool) {
    logLine("Calling method 'readDirectory' in LX Logger class.");
    pauseKeepAliveTimer();
    if (!startSyn()) {
        resumeKeepAliveTimer();
        return;
    }
    getMemoryInfo();
    loggerData().clearFlightDirectory();
    delayMilliseconds(10);
    m_serialPort->flushR();
    writeCommand(lx::Command::ReadDirectory, lx::kNoGap, lx::kDirectoryAnswerWait);
    int index = 0;
    int emptyReads = 0;
    int reads = 0;
    std::uint8_t record[kDirectoryRecordSize];
    do {
        if (++reads > kDirectoryReadLimit) {
            logf("More than %d directory reads; the directory ends here.", kDirectoryReadLimit);
            break;
        }
        std::fill(std::begin(record), std::end(record), 0);
        delaySeconds(2);
        const int count = m_serialPort->readBuffer(record, sizeof record);
        if (count == 0) {
            // A recorder that stopped answering ends the directory after a few quiet reads.
            if (++emptyReads == kEmptyDirectoryReadLimit) {
                logf("No directory record after %d reads; the directory ends here.", emptyReads);
                break;
            }
            continue;
        }
        emptyReads = 0;
        auto flight = std::make_shared<LXFaiData>(ByteSpan(record, sizeof record));
        if (flight->isOK() && count == static_cast<int>(sizeof record) && flight->crcOK()) {
            addFlight(std::move(flight), index++);
        }
    } while (record[0] == 1 || emptyReads > 0);
    logLine("Calling startSyn after ReadDirectory.");
    startSyn();
    resumeKeepAliveTimer();
    logLine("Leaving method 'readDirectory' in LX Logger class.");
}

void LXLogger::addFlight(std::shared_ptr<LXFaiData> flight, int index) {
    FlightEntry entry;
    entry.number = stringf("%d", index);
    entry.takeoff = stringf("%d", flight->isOK() ? 1 : 0);
    entry.date = flight->startDate();
    entry.firsttime = flight->startDate();
    entry.lasttime = flight->stopDate();
    entry.duration = flight->durationDescription();
    entry.filename = flight->fileNameWithExtension();
    entry.pilot = flight->pilotName();
    entry.lxflightdata = std::move(flight);
    loggerData().addFlightToDirectory(std::move(entry));
}

bool LXLogger::readFile(const std::filesystem::path& path, int key, bool secure,
                        bool translateToIGC, const FlightEntry* entry) {
    Bytes data;
    logLine("Calling method 'readIGCFile' in LX Logger class.");
    if (translateToIGC) logLine("Must Translate to IGC.");
    pauseKeepAliveTimer();
    if (!entry) {
        logLine("Received no entry ... I quit.");
        resumeKeepAliveTimer();
        return false;
    }
    if (!entry->lxflightdata) {
        logLine("Entry contained no LX FAI Data ... I quit.");
        resumeKeepAliveTimer();
        return false;
    }
    const LXFaiData& flight = *entry->lxflightdata;
    bool intact = readRange(flight, data);
    if (secure) {
        const auto security = getDecryptBlock();
        if (security) data.insert(data.end(), security->begin(), security->end());
        intact = intact && security && m_serialPort->lastBlockOK();
    }
    // An incomplete flight must not replace a good file of an earlier download.
    bool written = false;
    if (!intact) {
        logf("Flight %s arrived incomplete: a range or block was missing or failed its CRC; "
             "no file was written.",
             flight.fileNameWithExtension().c_str());
    } else if (translateToIGC) {
        written = LXTrackFile::convertNativeData(
            data, std::filesystem::path(path).replace_extension("IGC"));
    } else {
        written = writeFileAtomically(path, data);
    }
    loggerData().setFlight(std::move(data), key);
    resumeKeepAliveTimer();
    logLine("Leaving readIGCFile");
    return intact && written;
}

// Reads the flight's memory range in pieces of 8192 addresses (a flight that wraps past
// the end of the memory ring in one request); false when anything was missing.
bool LXLogger::readRange(const LXFaiData& flight, Bytes& data) {
    flight.logMemoryInfo();
    m_loggerMemory.log();
    const std::int32_t se =
        flight.startTape() + static_cast<std::int16_t>(flight.startPage()) * lx::kPageSize;
    const std::int32_t ee =
        flight.stopTape() + static_cast<std::int16_t>(flight.stopPage()) * lx::kPageSize;
    logf("se = %d (0x%X)", se, se);
    logf("ee = %d (0x%X)", ee, ee);
    std::int32_t expected = ee - se;
    if (expected < 0) {
        expected += (m_loggerMemory.endPage() - m_loggerMemory.startPage()) * lx::kPageSize + lx::kPageSize;
    }
    logf("Expecting %d (0x%X) bytes.", expected, expected);
    bool intact = true;
    for (std::int32_t s = se;; s += kPieceSize) {
        const auto piece = getFlightBlock(s, std::min(ee, s + kPieceSize), &intact);
        if (piece) data.insert(data.end(), piece->begin(), piece->end());
        reportProgress(data.size(), static_cast<std::uint64_t>(std::max(expected, 0)),
                       flight.fileNameWithExtension());
        if (ee <= s + kPieceSize) break;
    }
    return intact;
}

void LXLogger::readWaypoints(bool) {
    logLine("Calling method 'readWaypoints' in LXLogger class.");
    clearWaypoints();
    loggerData().clearRoutes();
    pauseKeepAliveTimer();
    if (!startSyn()) {
        resumeKeepAliveTimer();
        return;
    }
    writeCommand(lx::Command::ReadDatabase, lx::kNoGap, lx::kNoGap);
    const Bytes data = m_serialPort->readBlockWithSize(
        static_cast<int>(kDatabaseSize),
        [this](std::size_t bytes) { reportProgress(bytes, kDatabaseSize, "Database"); });
    logf("Read %d bytes in readWaypoints method.", static_cast<int>(data.size()));
    // Records from a block cut short or failing its CRC would be written back to the
    // recorder by the next save; none are taken.
    if (!m_serialPort->lastBlockOK()) {
        logLine("The database block arrived incomplete or failed its CRC; nothing was taken.");
        resumeKeepAliveTimer();
        return;
    }
    for (std::size_t i = 0; i < maxNumberOfWaypoints(); ++i) {
        if (auto waypoint = LXTurnpoint(data, LXTurnpoint::kSize * i).waypoint()) {
            loggerData().addWaypoint(std::move(waypoint));
        }
    }
    for (std::size_t j = 0; j < maxNumberOfRoutes(); ++j) {
        const LXRoute record(data, kRoutesOffset + LXRoute::kSize * j);
        if (auto route = record.makeRoute(waypoints())) {
            route->setName(stringf("Route %d", static_cast<int>(j + 1)));
            loggerData().addRoute(std::move(route));
        }
    }
    resumeKeepAliveTimer();
}

void LXLogger::readRoutes(bool) {
    logLine("Calling method 'readRoutes' in LXLogger class.");
}

void LXLogger::readDeclaration(bool) {
    logLine("Calling method 'readDeclaration' in LXLogger class.");
    pauseKeepAliveTimer();
    Bytes block;
    if (startSyn()) {
        delayMilliseconds(10);
        writeCommand(lx::Command::ReadDeclaration, lx::kCommandGap, lx::kCommandGap);
        logf("Task = %d bytes.", static_cast<int>(LXTask::kSize));
        logf("Flight = %d bytes.", static_cast<int>(LXFlight::kSize));
        block = m_serialPort->readBlockWithSize(static_cast<int>(kDeclarationSize));
        if (!block.empty()) HSSerialPort::dumpBuffer(block.data(), block.size());
    }
    logLine("Morph Flight and Task into the Declaration.");
    if (!declaration()) {
        logLine("Declaration = nil!");
    } else if (block.size() != kDeclarationSize || !m_serialPort->lastBlockOK()) {
        // Nothing sound to take from: the declaration stays as it was.
        logLine("No intact declaration block arrived; the declaration is left unchanged.");
    } else {
        takeDeclaration(block);
    }
    startSyn();
    resumeKeepAliveTimer();
}

void LXLogger::takeDeclaration(const Bytes& block) {
    LXFlight flight(block, 1);
    const LXTask task(block, 1 + LXFlight::kSize);
    logLine(flight.toString());
    logLine(task.toString());
    if (flight.razred() == LXFlight::kOtherClass) {
        flight.setCompetitionClassDescription(readCompetionClassFromLogger());
    }
    logLine("Gonna release the data.");
    logLine("Released the data.");
    Declaration& declaration = *this->declaration();
    declaration.setPilot1(flight.pilot());
    declaration.setPilot2("");
    declaration.setPilot3(flight.observer());
    declaration.setPilot4(flight.GPS());
    declaration.setGliderType(flight.glider());
    declaration.setGliderID(flight.registration());
    declaration.setCompetitionID(flight.competitionRegistration());
    if (flight.razred() == LXFlight::kOtherClass) {
        declaration.setCompetitionClassDescription(flight.competitionClassDescription());
    } else {
        declaration.setCompetitionClass(flight.competitionClass());
    }
    declaration.setHomePoint(task.homePoint());
    declaration.setTask(task.task());
    declaration.setLXFlag(task.flag());
}

std::string LXLogger::readCompetionClassFromLogger() {
    writeCommand(lx::Command::ReadClassName, lx::kNoGap, lx::kNoGap);
    const Bytes block = m_serialPort->readBlockWithSize(static_cast<int>(kClassNameSize));
    const std::string name = getText(block, 0, block.size());
    if (!block.empty()) HSSerialPort::dumpBuffer(block.data(), block.size());
    logf("CompetitionClass = %s.", name.c_str());
    return name;
}

bool LXLogger::writeDatabaseAndDeclaration() {
    if (!writeDatabase()) return false;
    logLine("Writing Database succeeded.");
    delayMilliseconds(300);
    return writeDeclaration();
}

bool LXLogger::writeDatabase() {
    pauseKeepAliveTimer();
    logLine("Gonna write Waypoints and routes to the Logger.");
    const auto database = databaseBlock(waypoints(), routes());
    if (!database) {
        resumeKeepAliveTimer();
        return false;
    }
    if (!startSyn()) {
        logLine("No answer to the synchronisation: the database was not written.");
        resumeKeepAliveTimer();
        return false;
    }
    delayMilliseconds(10);
    writeCommand(lx::Command::WriteDatabase, lx::kCommandGap, lx::kNoGap);
    logf("Adding it all up, I come to a total size of: %d bytes.",
         static_cast<int>(database->size()));
    logLine("Now we write everything to the logger.");
    m_serialPort->writeBlock(
        *database, [this](std::size_t bytes) { reportProgress(bytes, kDatabaseSize, "Database"); });
    logLine("Just yet we wrote everything to the logger.");
    delaySeconds(1);
    startSyn();
    resumeKeepAliveTimer();
    return true;
}

// The 21800-byte database block: 600 waypoint records, then 100 route records. Nothing
// when the lists exceed what the recorder holds or a route needs a waypoint that no longer
// fits.
std::optional<Bytes> LXLogger::databaseBlock(WaypointList& waypoints, const RouteList& routes) {
    const std::size_t maxWaypoints = kMaxWaypoints;
    const std::size_t maxRoutes = kMaxRoutes;
    if (waypoints.size() > maxWaypoints || routes.size() > maxRoutes) {
        logf(
            "The recorder holds %d waypoints and %d routes; %d waypoints and %d routes "
            "cannot be written.",
            static_cast<int>(maxWaypoints), static_cast<int>(maxRoutes),
            static_cast<int>(waypoints.size()), static_cast<int>(routes.size()));
        return std::nullopt;
    }
    std::vector<LXRoute> routeRecords;
    for (const auto& route : routes) {
        LXRoute record;
        if (route && !record.setRoute(*route, waypoints, maxWaypoints)) return std::nullopt;
        if (route) routeRecords.push_back(record);
    }
    ByteWriter writer;
    const std::size_t waypointCount = waypoints.size();
    logf("Gonna get %d turnpoints.", static_cast<int>(waypointCount));
    logf("Adding %d waypoints ...", static_cast<int>(waypointCount));
    for (const auto& waypoint : waypoints) {
        LXTurnpoint record;
        if (waypoint) record.setWaypoint(*waypoint);
        writer.bytes(record.data());
    }
    logf("After %d waypoints, the size is: %d bytes.", static_cast<int>(waypointCount),
         static_cast<int>(writer.size()));
    logf("Adding (%d - %d =) %d empty turnpoints.", static_cast<int>(maxWaypoints),
         static_cast<int>(waypointCount), static_cast<int>(maxWaypoints - waypointCount));
    for (std::size_t i = waypointCount; i < maxWaypoints; ++i) {
        writer.bytes(LXTurnpoint::dataForEmptyTurnpoint());
    }
    logf("After adding a lot of empty waypoints, the size is: %d bytes.",
         static_cast<int>(writer.size()));
    for (const auto& record : routeRecords) {
        const Bytes bytes = record.data();
        HSSerialPort::dumpBuffer(bytes.data(), bytes.size());
        writer.bytes(bytes);
    }
    logf("After adding %d routes, the size is: %d bytes.", static_cast<int>(routeRecords.size()),
         static_cast<int>(writer.size()));
    for (std::size_t i = routeRecords.size(); i < maxRoutes; ++i) {
        writer.bytes(LXRoute::dataForEmptyRoute());
    }
    logf("After adding a lot of empty routes, the size is: %d bytes.",
         static_cast<int>(writer.size()));
    return writer.take();
}

Bytes LXLogger::declarationBlock(const Declaration& declaration) {
    LXFlight flight;
    flight.setPilot(declaration.pilot1());
    flight.setGlider(declaration.gliderType());
    flight.setRegistration(declaration.gliderID());
    flight.setCompetitionRegistration(declaration.competitionID());
    flight.setCompetitionClass(declaration.competitionClass());
    flight.setObserver(declaration.pilot3());
    flight.setGPSDatum(0);
    flight.setFixAccuracy(0);
    flight.setGPS(declaration.pilot4());
    LXTask task;
    task.setTaskID(0);
    task.setFlag(declaration.lxFlag());
    task.setInputDateToNow();
    task.setTask(declaration.task() ? *declaration.task() : Task(), declaration.homePoint());
    task.setFlag(declaration.lxFlag());
    ByteWriter block;
    block.u8(0);
    block.bytes(flight.data());
    block.bytes(task.data());
    return block.take();
}

bool LXLogger::writeDeclaration() {
    pauseKeepAliveTimer();
    const Declaration& declaration = *this->declaration();
    const Bytes block = declarationBlock(declaration);
    HSSerialPort::dumpBuffer(block.data(), block.size());

    bool answer = false;
    if (synchroniseForDeclaration()) {
        writeCommand(lx::Command::WriteDeclaration, lx::kCommandGap, lx::kCommandGap);
        m_serialPort->writeData(block);
        delayMilliseconds(100);
        std::uint8_t reply = 0;
        m_serialPort->readChar(&reply);
        logf("The answer to the writing of the Declaration is 0x%X. (should be ACK, which is 0x%X)",
             reply, lx::ACK);
        if (reply != lx::ACK) {
            logLine("Writing Declaration failed.");
        } else {
            logLine("Writing Declaration succeeded.");
            answer = writeClassName(declaration.competitionClass(),
                                    declaration.competitionClassDescription());
        }
    }
    delayMilliseconds(500);
    startSyn();
    resumeKeepAliveTimer();
    return answer;
}

bool LXLogger::synchroniseForDeclaration() {
    for (int attempt = 1; attempt <= kDeclarationSyncAttempts; ++attempt) {
        if (startSyn()) return true;
        if (attempt < kDeclarationSyncAttempts) delaySeconds(1);
    }
    logLine("StartSyn failed for write declaration!!!");
    return false;
}

bool LXLogger::writeClassName(int classIndex, const std::string& description) {
    Bytes name(kClassNameSize, ' ');
    putText(name, 0, kClassNameSize, classBlockName(classIndex, description), ' ');
    name[kClassNameSize - 1] = 0;
    HSSerialPort::dumpBuffer(name.data(), name.size());
    writeCommand(lx::Command::WriteClassName, lx::kCommandGap, lx::kCommandGap);
    m_serialPort->writeBlock(name);
    delayMilliseconds(50);
    std::uint8_t reply = 0;
    if (m_serialPort->readChar(&reply) == 1 && reply == lx::ACK) {
        logLine("Writing CompetitionClass succeeded.");
        return true;
    }
    logLine("Writing CompetitionClass failed.");
    return false;
}

}  // namespace kelvo
