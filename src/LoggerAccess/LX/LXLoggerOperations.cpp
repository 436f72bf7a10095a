// The operations of the LX driver behind the common logger interface: identification,
// directory, flight download, database and declaration. The link they stand on is in
// LXLogger.cpp.

#include <algorithm>
#include <any>
#include <utility>

#include "LoggerAccess/LX/LXDatabaseCheck.h"
#include "LoggerAccess/LX/LXFaiData.h"
#include "LoggerAccess/LX/LXFlight.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "LoggerAccess/LX/LXTask.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "base/AtomicFile.h"
#include "base/Cancellation.h"
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

Outcome LXLogger::failed(std::string reason) {
    if (takeCancellation()) {
        startSyn();
        return Outcome::cancelled();
    }
    return Outcome::failure(std::move(reason));
}

Outcome LXLogger::readInfo() {
    logLine("Calling method 'getInfo' in LXLogger class.");
    const KeepAlivePause pause(*this);
    delayMilliseconds(500);
    if (!ping()) return failed("no answer from the recorder");
    delayMilliseconds(5);
    m_serialPort->flushR();
    delayMilliseconds(5);
    writeCommand(lx::Command::ReadIdentification, lx::kIdentificationGap, lx::kNoGap);
    std::vector<std::uint8_t> reply(kIdentificationSize + 1, 0);
    // The text has no fixed length: it has ended when the line falls quiet.
    const int count = m_serialPort->readReply(
        reply.data(), kIdentificationSize,
        scaledTimeout(lx::kIdentificationAnswerWait + lx::kReplyTimeout), lx::kIdentificationQuiet);
    logf("Read %d bytes of identification.", count);
    if (count > 0) {
        const std::string text = windows1252ToUtf8(reinterpret_cast<const char*>(reply.data()));
        logLine(text);
        for (const auto& [key, value] : identificationInfo(text)) {
            loggerData().setLoggerInfoObject(value, key);
        }
        return Outcome::success();
    }
    if (Outcome outcome = readDeclaration(false); !outcome) return outcome;
    const Declaration& declaration = *loggerData().declaration();
    loggerData().setLoggerInfoObject(declaration.pilot1(), "Pilot");
    loggerData().setLoggerInfoObject(declaration.gliderType(), "Glider Type");
    loggerData().setLoggerInfoObject(declaration.competitionID(), "Competition ID");
    loggerData().setLoggerInfoObject(declaration.competitionClassDescription(),
                                     "Competition Class");
    loggerData().setLoggerInfoObject(declaration.gliderID(), "Registration");
    return Outcome::success();
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

Outcome LXLogger::readDirectory(bool) {
    logLine("Calling method 'readDirectory' in LX Logger class.");
    const KeepAlivePause pause(*this);
    loggerData().clearFlightDirectory();
    if (!startSyn()) return failed("no answer from the recorder");
    getMemoryInfo();
    delayMilliseconds(10);
    m_serialPort->flushR();
    writeCommand(lx::Command::ReadDirectory, lx::kNoGap, lx::kDirectoryAnswerWait);
    int index = 0;
    int emptyReads = 0;
    int reads = 0;
    int damaged = 0;
    bool ended = false;
    std::uint8_t record[kDirectoryRecordSize];
    while (!ended && !cancellationRequested()) {
        if (++reads > kDirectoryReadLimit) {
            logf("More than %d directory reads; the directory ends here.", kDirectoryReadLimit);
            break;
        }
        std::fill(std::begin(record), std::end(record), 0);
        const int count = m_serialPort->readReply(record, sizeof record,
                                                  scaledTimeout(lx::kDirectoryRecordWait));
        if (count == 0) {
            // A recorder that stopped answering ends the directory after a few quiet reads.
            if (++emptyReads == kEmptyDirectoryReadLimit) {
                logf("No directory record after %d reads; the directory ends here.", emptyReads);
                break;
            }
            continue;
        }
        emptyReads = 0;
        const bool whole = count == static_cast<int>(sizeof record);
        // The list ends at a record whose first byte is not 1: 0 for no flight, any other
        // value for the last flight. Every record is judged by its checksum, the last one
        // too, since one damaged byte could end the list early; only the empty record of a
        // recorder without flights comes as zero bytes with no checksum.
        ended = record[0] != 1;
        if (whole && std::all_of(std::begin(record), std::end(record),
                                 [](std::uint8_t byte) { return byte == 0; })) {
            continue;
        }
        auto flight = std::make_shared<LXFaiData>(ByteSpan(record, sizeof record));
        if (!whole || !flight->crcOK()) {
            ++damaged;
        } else if (flight->isOK()) {
            addFlight(std::move(flight), index++);
        }
    }
    logLine("Calling startSyn after ReadDirectory.");
    if (takeCancellation()) {
        startSyn();
        return Outcome::cancelled();
    }
    startSyn();
    logLine("Leaving method 'readDirectory' in LX Logger class.");
    if (!ended || damaged > 0) {
        return Outcome::failure(stringf(
            "the flight list arrived in part: %d entries came whole%s", index,
            damaged > 0 ? stringf(", %d failed their checksum", damaged).c_str()
                        : ", then the recorder stopped answering"));
    }
    return Outcome::success();
}

void LXLogger::addFlight(std::shared_ptr<const LXFaiData> flight, int index) {
    FlightEntry entry;
    entry.number = stringf("%d", index);
    entry.takeoff = stringf("%d", flight->isOK() ? 1 : 0);
    entry.date = flight->startDate();
    entry.firsttime = flight->startDate();
    entry.lasttime = flight->stopDate();
    entry.duration = flight->durationDescription();
    entry.filename = flight->fileNameWithExtension();
    entry.pilot = flight->pilotName();
    entry.driverRecord = std::move(flight);
    loggerData().addFlightToDirectory(std::move(entry));
}

Outcome LXLogger::readFile(const std::filesystem::path& path, int key, bool secure,
                           bool translateToIGC, const FlightEntry* entry) {
    Bytes data;
    logLine("Calling method 'readIGCFile' in LX Logger class.");
    if (translateToIGC) logLine("Must Translate to IGC.");
    const KeepAlivePause pause(*this);
    if (!entry) {
        logLine("Received no entry ... I quit.");
        return Outcome::refusal("no such flight in the recorder's list");
    }
    const auto* record = std::any_cast<std::shared_ptr<const LXFaiData>>(&entry->driverRecord);
    if (!record || !*record) {
        logLine("Entry contained no LX FAI Data ... I quit.");
        return Outcome::refusal("the flight's entry holds no recorder record");
    }
    const LXFaiData& flight = **record;
    bool intact = readRange(flight, data);
    if (secure && intact && !cancellationRequested()) {
        const auto security = getDecryptBlock();
        if (security) data.insert(data.end(), security->begin(), security->end());
        intact = security && m_serialPort->lastBlockOK();
    }
    if (takeCancellation()) return Outcome::cancelled();
    // An incomplete flight must not replace a good file of an earlier download.
    if (!intact) {
        logf("Flight %s arrived incomplete: a range or block was missing or failed its CRC; "
             "no file was written.",
             flight.fileNameWithExtension().c_str());
        loggerData().setFlight(std::move(data), key);
        return Outcome::failure(stringf("flight %s arrived incomplete or failed its checksum; no "
                                        "file was written",
                                        flight.fileNameWithExtension().c_str()));
    }
    const std::filesystem::path target =
        translateToIGC ? std::filesystem::path(path).replace_extension("IGC") : path;
    const bool written = translateToIGC ? LXTrackFile::convertNativeData(data, target)
                                        : writeFileAtomically(target, data);
    loggerData().setFlight(std::move(data), key);
    logLine("Leaving readIGCFile");
    if (!written) return Outcome::failure("could not write " + target.string());
    return Outcome::success();
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
    for (std::int32_t s = se; !cancellationRequested(); s += kPieceSize) {
        const auto piece = getFlightBlock(s, std::min(ee, s + kPieceSize), &intact);
        if (piece) data.insert(data.end(), piece->begin(), piece->end());
        reportProgress(data.size(), static_cast<std::uint64_t>(std::max(expected, 0)),
                       flight.fileNameWithExtension());
        if (ee <= s + kPieceSize) break;
    }
    return intact;
}

Outcome LXLogger::readWaypoints(bool) {
    logLine("Calling method 'readWaypoints' in LXLogger class.");
    loggerData().clearWaypoints();
    loggerData().clearRoutes();
    loggerData().forget(LoggerPart::Waypoints);
    loggerData().forget(LoggerPart::Routes);
    const KeepAlivePause pause(*this);
    Bytes data;
    // Records from a block cut short or failing its CRC would be written back to the
    // recorder by the next save; none are taken.
    if (Outcome outcome = readDatabaseBlock(data, "Database"); !outcome) {
        logLine("Nothing was taken from the database block.");
        return outcome;
    }
    for (std::size_t i = 0; i < maxNumberOfWaypoints(); ++i) {
        if (auto waypoint = LXTurnpoint(data, LXTurnpoint::kSize * i).waypoint()) {
            loggerData().addWaypoint(std::move(waypoint));
        }
    }
    for (std::size_t j = 0; j < maxNumberOfRoutes(); ++j) {
        const LXRoute record(data, kRoutesOffset + LXRoute::kSize * j);
        if (auto route = record.makeRoute(loggerData().waypoints())) {
            route->setName(stringf("Route %d", static_cast<int>(j + 1)));
            loggerData().addRoute(std::move(route));
        }
    }
    loggerData().markKnown(LoggerPart::Waypoints);
    loggerData().markKnown(LoggerPart::Routes);
    return Outcome::success();
}

Outcome LXLogger::readDatabaseBlock(Bytes& block, const std::string& progressText) {
    const auto read = readBlockAskingAgain(
        [this] {
            if (!startSyn()) return false;
            writeCommand(lx::Command::ReadDatabase, lx::kNoGap, lx::kNoGap);
            return true;
        },
        static_cast<int>(kDatabaseSize),
        [&](std::size_t bytes) { reportProgress(bytes, kDatabaseSize, progressText); });
    if (!read) return failed("no answer from the recorder");
    block = *read;
    logf("Read %d bytes in readWaypoints method.", static_cast<int>(block.size()));
    if (m_serialPort->lastBlockOK()) return Outcome::success();
    logLine("The database block arrived incomplete or failed its CRC.");
    return failed(block.size() < kDatabaseSize
                      ? stringf("the waypoint database arrived incomplete (%zu of %zu bytes)",
                                block.size(), kDatabaseSize)
                      : std::string("checksum error in the waypoint database"));
}

// The routes come with the waypoints, in one database block.
Outcome LXLogger::readRoutes(bool) {
    logLine("Calling method 'readRoutes' in LXLogger class.");
    return Outcome::success();
}

// The flight record keeps the first, third and fourth pilot lines (pilot, observer, GPS
// text); the task record keeps ten points of 8-character names at 1/60000 degree.
std::optional<DeclarationLimits> LXLogger::declarationLimits() const {
    DeclarationLimits limits;
    limits.pilotLength = {LXFlight::kPilotLength, 0, LXFlight::kObserverLength,
                          LXFlight::kGpsLength};
    limits.gliderIDLength = LXFlight::kRegistrationLength;
    limits.gliderTypeLength = LXFlight::kGliderLength;
    limits.competitionIDLength = LXFlight::kCompetitionIdLength;
    limits.pointNameLength = LXTask::kNameLength;
    limits.coordinateResolution = 1.0 / 60000;
    limits.maxTaskPoints = LXTask::kMaxTaskPoints;
    return limits;
}

Outcome LXLogger::readDeclaration(bool) {
    logLine("Calling method 'readDeclaration' in LXLogger class.");
    loggerData().forget(LoggerPart::Declaration);
    const KeepAlivePause pause(*this);
    if (!startSyn()) return failed("no answer from the recorder");
    delayMilliseconds(10);
    writeCommand(lx::Command::ReadDeclaration, lx::kCommandGap, lx::kCommandGap);
    logf("Task = %d bytes.", static_cast<int>(LXTask::kSize));
    logf("Flight = %d bytes.", static_cast<int>(LXFlight::kSize));
    const Bytes block = m_serialPort->readBlockWithSize(static_cast<int>(kDeclarationSize));
    if (!block.empty()) HSSerialPort::dumpBuffer(block.data(), block.size());
    logLine("Morph Flight and Task into the Declaration.");
    Outcome outcome;
    if (block.size() != kDeclarationSize || !m_serialPort->lastBlockOK()) {
        // Nothing sound to take from: the declaration stays as it was.
        logLine("No intact declaration block arrived; the declaration is left unchanged.");
        outcome = failed(block.size() != kDeclarationSize
                             ? stringf("the declaration arrived incomplete (%zu of %zu bytes)",
                                       block.size(), kDeclarationSize)
                             : std::string("checksum error in the declaration block"));
    } else if (outcome = takeDeclaration(block); outcome) {
        loggerData().markKnown(LoggerPart::Declaration);
    }
    startSyn();
    return outcome;
}

Outcome LXLogger::takeDeclaration(const Bytes& block) {
    LXFlight flight(block, 1);
    const LXTask task(block, 1 + LXFlight::kSize);
    logLine(flight.toString());
    logLine(task.toString());
    if (flight.razred() == LXFlight::kOtherClass) {
        // A class name that did not come whole is no blank class: a save would write the
        // blank back.
        std::string reason;
        const auto className = readCompetionClassFromLogger(reason);
        if (!className) {
            logLine("No intact class name arrived; the declaration is left unchanged.");
            return failed(reason);
        }
        flight.setCompetitionClassDescription(*className);
    }
    logLine("Gonna release the data.");
    logLine("Released the data.");
    Declaration& declaration = *loggerData().declaration();
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
    return Outcome::success();
}

std::optional<std::string> LXLogger::readCompetionClassFromLogger(std::string& failure) {
    writeCommand(lx::Command::ReadClassName, lx::kNoGap, lx::kNoGap);
    const Bytes block = m_serialPort->readBlockWithSize(static_cast<int>(kClassNameSize));
    if (!block.empty()) HSSerialPort::dumpBuffer(block.data(), block.size());
    if (!m_serialPort->lastBlockOK()) {
        failure = block.empty() ? std::string("the recorder did not send the competition class")
                  : block.size() < kClassNameSize
                      ? stringf("the competition class arrived incomplete (%zu of %zu bytes)",
                                block.size(), kClassNameSize)
                      : std::string("checksum error in the competition class");
        return std::nullopt;
    }
    const std::string name = getText(block, 0, block.size());
    logf("CompetitionClass = %s.", name.c_str());
    return name;
}

Outcome LXLogger::storeDatabaseAndDeclaration() {
    const Outcome database = writeDatabase();
    if (!database) return database;
    logLine("Writing Database succeeded.");
    delayMilliseconds(300);
    const Outcome declaration = writeDeclaration();
    return declaration ? database : declaration;
}

Outcome LXLogger::writeDatabase() {
    const KeepAlivePause pause(*this);
    logLine("Gonna write Waypoints and routes to the Logger.");
    const auto database = databaseBlock(loggerData().waypoints(), loggerData().routes());
    if (!database) {
        return Outcome::refusal("the waypoints and routes do not fit the recorder's database");
    }
    if (!startSyn()) {
        logLine("No answer to the synchronisation: the database was not written.");
        return failed("no answer from the recorder; nothing was written");
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
    return verifyDatabase(*database);
}

// The recorder does not acknowledge a database write: what it holds is read back and
// compared with what was written.
Outcome LXLogger::verifyDatabase(const Bytes& written) {
    Bytes held;
    const Outcome read = readDatabaseBlock(held, "Verifying database");
    if (read.kind() == Outcome::Kind::Cancelled) return read;
    if (!read) {
        return Outcome::failure(
            "the waypoints and routes were written, but could not be read back "
            "to verify them (nothing more was written): " +
            read.reason());
    }
    const std::vector<std::string> differences = LXDatabaseCheck::differences(written, held);
    for (const std::string& difference : differences) logLine(difference);
    if (!differences.empty()) {
        return Outcome::failure(
            "the waypoints and routes were written, but the recorder holds others (nothing more "
            "was written): " +
            LXDatabaseCheck::summary(differences));
    }
    logLine("The recorder holds the database as written.");
    return Outcome::success("waypoints and routes written and verified");
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

Outcome LXLogger::writeDeclaration() {
    const KeepAlivePause pause(*this);
    const Declaration& declaration = *loggerData().declaration();
    const Bytes block = declarationBlock(declaration);
    HSSerialPort::dumpBuffer(block.data(), block.size());

    Outcome outcome = Outcome::failure("no answer from the recorder; the declaration was not written");
    if (synchroniseForDeclaration()) {
        writeCommand(lx::Command::WriteDeclaration, lx::kCommandGap, lx::kCommandGap);
        m_serialPort->writeData(block);
        std::uint8_t reply = 0;
        readAnswerByte(reply, lx::kSynAnswerWait);
        logf("The answer to the writing of the Declaration is 0x%X. (should be ACK, which is 0x%X)",
             reply, lx::ACK);
        if (reply != lx::ACK) {
            logLine("Writing Declaration failed.");
            outcome = Outcome::failure("the recorder did not take the declaration");
        } else {
            logLine("Writing Declaration succeeded.");
            outcome = writeClassName(declaration.competitionClass(),
                                     declaration.competitionClassDescription())
                          ? Outcome::success()
                          : Outcome::failure("the recorder did not take the competition class");
        }
    }
    if (takeCancellation()) outcome = Outcome::cancelled();
    delayMilliseconds(500);
    startSyn();
    return outcome;
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
    std::uint8_t reply = 0;
    if (readAnswerByte(reply, lx::kClassNameAnswerWait) && reply == lx::ACK) {
        logLine("Writing CompetitionClass succeeded.");
        return true;
    }
    logLine("Writing CompetitionClass failed.");
    return false;
}

}  // namespace kelvo
