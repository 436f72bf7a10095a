#include "LoggerAccess/Volkslogger/Volkslogger.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "LoggerAccess/Volkslogger/VolksloggerStream.h"
#include "LoggerAccess/Volkslogger/VolksloggerText.h"
#include "base/Beep.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/Windows1252.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

using vl::VLAPI_DATA;

constexpr const char* kErrorMessages[] = {
    "",
    "File Error.",
    "Communications Error.",
    "Memory Error.",
    "CRC Error.",
    "No Char Error.",
    "No Answer Error.",
    "Bad Flight ID Error.",
    "User Canceled Error.",
    "Bad Command Error.",
    "No Data Error.",
    "No Flights Available in Volkslogger.",
    "API not Opened Error.",
    "Time Out Error.",
    "Misc Error.",
};

constexpr std::chrono::milliseconds kConnectWait = std::chrono::seconds(5);
constexpr std::size_t kPilotPiece = 16;
constexpr std::size_t kGliderIdLength = 7;
constexpr std::size_t kGliderTypeLength = 12;
constexpr std::size_t kCompetitionClassLength = 12;
constexpr std::size_t kCompetitionIdLength = 3;

// The text in the recorder's character set, padded with spaces or cut to width, into a
// fixed NUL-terminated array.
template <std::size_t N>
void putFixed(char (&target)[N], const std::string& utf8, std::size_t width) {
    std::string text = utf8ToWindows1252(utf8);
    text.resize(std::min(width, N - 1), ' ');
    std::memcpy(target, text.c_str(), text.size() + 1);
}

template <std::size_t N>
std::string fromFixed(const char (&source)[N]) {
    return windows1252ToUtf8(std::string(source, strnlen(source, N)));
}

std::int16_t clampToInt16(std::int32_t value) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

std::chrono::sys_seconds timeOf(const std::tm& t) {
    return vl::calendarTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                            t.tm_hour * 3600L + t.tm_min * 60L + t.tm_sec);
}

FlightEntry entryOf(const vl::DIRENTRY& e, std::size_t index) {
    FlightEntry entry;
    entry.number = stringf("%d", static_cast<int>(index));
    entry.takeoff = stringf("%d", e.takeoff);
    entry.pilot = fromFixed(e.pilot);
    entry.filename = fromFixed(e.filename);
    entry.compid = fromFixed(e.competitionid);
    entry.gliderid = fromFixed(e.gliderid);
    entry.date = timeOf(e.firsttime);
    entry.firsttime = entry.date;
    entry.lasttime = timeOf(e.lasttime);
    const int seconds = e.recordingtime;
    entry.duration = stringf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return entry;
}

// The all-ones record that marks an unused waypoint slot of a route.
VLAPI_DATA::WPT emptySlot() {
    VLAPI_DATA::WPT slot;
    std::memset(slot.name, 0xFF, sizeof slot.name);
    slot.typ = 0xFF;
    slot.lat = std::numeric_limits<double>::quiet_NaN();
    slot.lon = std::numeric_limits<double>::quiet_NaN();
    return slot;
}

}  // namespace

Volkslogger::Volkslogger() : m_api(std::make_unique<vl::VLAPI>()) {
    Volkslogger::fillCapabilities();
    m_api->set_progress([this](long done, long total) {
        reportProgress(static_cast<std::uint64_t>(std::max(0L, done)),
                       static_cast<std::uint64_t>(std::max(0L, total)), "");
    });
}

Volkslogger::~Volkslogger() {
    if (connected()) Volkslogger::disconnect();
}

void Volkslogger::fillCapabilities() {
    LoggerCapabilities& c = mutableCapabilities();
    c.supportsSecure = true;
    c.supportsIGCFile = true;
    c.hasNativeFile = false;
    c.allowsClearFlights = true;
    c.maxBaud = 115200;
    c.minBaud = 4800;
    c.maxWaypoints = 500;
    c.lenWaypointName = 6;
    c.maxRoutes = 25;
    c.lenRouteName = 14;
    c.maxWaypointsInRoute = 10;
    c.maxDeclarations = 1;
    c.maxPilots = 25;
    c.lenPilotName = 16;
    c.maxTaskPoints = c.maxWaypointsInRoute;
    // A waypoint record holds a name, a position and type flags.
    c.keptWaypointFields = {.elevation = false,
                            .type = true,
                            .runwayDirection = false,
                            .runwayLength = false,
                            .frequency = false};
}

void Volkslogger::reportError(int code) {
    if (code > 0 && code < static_cast<int>(std::size(kErrorMessages))) {
        logLine(kErrorMessages[code]);
    }
}

// A Volkslogger that is there answers the first 'R' at once; the full wait is for one that
// is still being switched on.
std::chrono::milliseconds Volkslogger::connectWait() const {
    const auto limit = connectTimeLimit();
    return limit.count() > 0 ? std::min(limit, kConnectWait) : kConnectWait;
}

Outcome Volkslogger::connect(const std::string& path) {
    setPortDescriptor(path);
    m_api->portName = path;
    const int result = m_api->open(1, connectWait(), 1, capabilities().maxBaud);
    reportError(result);
    setConnected(result == vl::VLA_ERR_NOERR);
    if (connected()) {
        setLineSpeed(kCommandSpeed);
        return Outcome::success();
    }
    if (!m_api->portError().empty()) return Outcome::refusal(m_api->portError());
    return Outcome::failure("no Volkslogger answered on " + path);
}

bool Volkslogger::stillConnected() {
    return connected();
}

Outcome Volkslogger::outcomeOf(int code, const char* what) {
    reportError(code);
    if (code == vl::VLA_ERR_NOERR) return Outcome::success();
    if (takeCancellation() || code == vl::VLA_ERR_USERCANCELED) return Outcome::cancelled();
    const char* why = "the transfer failed";
    switch (code) {
        case vl::VLA_ERR_FILE:
            why = "the file could not be written";
            break;
        case vl::VLA_ERR_COMM:
            why = "the line to the Volkslogger failed";
            break;
        case vl::VLA_ERR_CRC:
            why = "checksum error in the data from the Volkslogger";
            break;
        case vl::VLA_ERR_NOANSWER:
        case vl::VLA_ERR_NOCHAR:
            why = "no answer from the Volkslogger";
            break;
        case vl::VLA_ERR_TIMEOUT:
        case vl::VLA_ERR_NODATA:
            why = "the Volkslogger stopped sending";
            break;
        case vl::VLA_ERR_BADFLIGHTID:
            why = "no such flight in the Volkslogger";
            break;
        case vl::VLA_ERR_BADCOMMAND:
            why = "the Volkslogger refused the command";
            break;
        default:
            break;
    }
    return Outcome::failure(stringf("%s while %s", why, what));
}

Outcome Volkslogger::readInfo() {
    const int result = m_api->read_info();
    if (result != vl::VLA_ERR_NOERR) return outcomeOf(result, "its identity was read");
    const vl::VLAPI::Info& info = m_api->vlinfo;
    LoggerData& data = loggerData();
    data.setLoggerInfoObject(stringf("%d", info.sessionid), "Session ID");
    data.setLoggerInfoObject(vl::wordtoserno(info.vlserno), "Serial Number");
    data.setLoggerInfoObject(stringf("%d.%d build %d", info.fwmajor, info.fwminor, info.fwbuild),
                             "Software Version");
    data.setLoggerInfoObject(stringf("%d.%d", info.hwmajor, info.hwminor), "Hardware Version");
    return Outcome::success();
}

Outcome Volkslogger::readDirectory(bool reload) {
    if (reload || !m_directoryLoaded) {
        int result = m_api->read_directory();
        // An empty flight memory is an empty list, not a failure.
        if (result == vl::VLA_ERR_NOFLIGHTS) result = vl::VLA_ERR_NOERR;
        m_directoryLoaded = result == vl::VLA_ERR_NOERR;
        if (!m_directoryLoaded) {
            loggerData().setFlightDirectory({});
            return outcomeOf(result, "the flight list was read");
        }
    }
    FlightDirectory directory;
    for (std::size_t k = 0; k < m_api->directory.size(); ++k) {
        directory.push_back(entryOf(m_api->directory[k], k));
    }
    loggerData().setFlightDirectory(std::move(directory));
    return Outcome::success();
}

Outcome Volkslogger::clearDirectory() {
    const std::uint16_t serialBefore = m_api->vlinfo.vlserno;
    if (const int result = m_api->clear_directory(); result != vl::VLA_ERR_NOERR) {
        return outcomeOf(result, "the flights were erased");
    }
    const int infoResult = m_api->read_info();
    if (m_api->vlinfo.vlserno != serialBefore) beep();
    if (infoResult != vl::VLA_ERR_NOERR) return outcomeOf(infoResult, "the erase was checked");
    loggerData().flightDirectory().clear();
    return Outcome::success();
}

Outcome Volkslogger::readFile(const std::filesystem::path& path, int key, bool secure, bool,
                              const FlightEntry*) {
    const int result = m_api->read_igcfile(path, key, secure ? 1 : 0);
    // The file is only written whole; an older file at the path must not pass for this flight.
    if (result == vl::VLA_ERR_NOERR) loggerData().setFlightFromFile(path, key);
    return outcomeOf(result, stringf("flight %d was read", key).c_str());
}

Outcome Volkslogger::loadDatabase(bool reload) {
    if (!reload && m_databaseLoaded) return Outcome::success();
    setDatabaseLoaded(false);
    const int result = m_api->read_db_and_declaration();
    if (result != vl::VLA_ERR_NOERR) return outcomeOf(result, "the database was read");
    setDatabaseLoaded(true);
    return Outcome::success();
}

// The image holds waypoints, routes and declaration: they are known together or not at all.
void Volkslogger::setDatabaseLoaded(bool loaded) {
    m_databaseLoaded = loaded;
    for (const LoggerPart part : {LoggerPart::Waypoints, LoggerPart::Routes, LoggerPart::Declaration}) {
        if (loaded) {
            loggerData().markKnown(part);
        } else {
            loggerData().forget(part);
        }
    }
}

Outcome Volkslogger::readWaypoints(bool reload) {
    Outcome outcome = loadDatabase(reload);
    WaypointList list;
    if (outcome) {
        for (const VLAPI_DATA::WPT& record : m_api->database.waypoints) {
            list.push_back(readWaypointFromPointer(record));
        }
    }
    loggerData().setWaypoints(std::move(list));
    return outcome;
}

Outcome Volkslogger::readRoutes(bool reload) {
    Outcome outcome = loadDatabase(reload);
    RouteList list;
    for (const VLAPI_DATA::ROUTE& record : outcome ? m_api->database.routes
                                                   : std::vector<VLAPI_DATA::ROUTE>{}) {
        std::vector<std::shared_ptr<Waypoint>> waypoints;
        for (const VLAPI_DATA::WPT& slot : record.wpt) {
            auto waypoint = readWaypointFromPointer(slot);
            if (!waypoint->isValid()) break;
            waypoints.push_back(std::move(waypoint));
        }
        if (waypoints.empty()) continue;
        Waypoint::linkInOrder(waypoints);
        auto route = std::make_shared<Route>();
        route->setValue(fromFixed(record.name), std::move(waypoints));
        list.push_back(std::move(route));
    }
    loggerData().setRoutes(std::move(list));
    return outcome;
}

Outcome Volkslogger::readPilots(bool reload) {
    loggerData().pilots().clear();
    return loadDatabase(reload);
}

Outcome Volkslogger::readDeclaration(bool reload) {
    Outcome outcome = loadDatabase(reload);
    if (outcome) loggerData().setDeclaration(readDeclarationFromPointer());
    return outcome;
}

// The recorder keeps four pilot pieces of 16 characters and upper-cases every text; its
// points have 6-character names at 1/60000 degree, and a task as many points as a route.
std::optional<DeclarationLimits> Volkslogger::declarationLimits() const {
    DeclarationLimits limits;
    limits.pilotLength = {kPilotPiece, kPilotPiece, kPilotPiece, kPilotPiece};
    limits.gliderIDLength = kGliderIdLength;
    limits.gliderTypeLength = kGliderTypeLength;
    limits.competitionIDLength = kCompetitionIdLength;
    limits.pointNameLength = capabilities().lenWaypointName;
    limits.upperCase = true;
    limits.coordinateResolution = 1.0 / 60000;
    limits.maxTaskPoints = capabilities().maxWaypointsInRoute;
    limits.zones = {true, true, true, true};
    return limits;
}

Outcome Volkslogger::storeDatabaseAndDeclaration() {
    if (!m_databaseLoaded) {
        return Outcome::refusal(
            "the Volkslogger's database was not read in this connection; nothing was written");
    }
    storeWaypoints();
    storeRoutes();
    storePilots();
    storeDeclaration();
    return outcomeOf(m_api->write_db_and_declaration(), "the database was written");
}

void Volkslogger::disconnect() {
    m_api->close(0);
    setConnected(false);
    m_directoryLoaded = false;
    setDatabaseLoaded(false);  // a new connection reads the image again
}

bool Volkslogger::storeWaypoints() {
    const WaypointList& list = loggerData().waypoints();
    const std::size_t count = std::min<std::size_t>(capabilities().maxWaypoints, list.size());
    std::vector<VLAPI_DATA::WPT> records(count);
    for (std::size_t i = 0; i < count; ++i) writeWaypoint(*list[i], &records[i]);
    m_api->database.waypoints = std::move(records);
    return true;
}

bool Volkslogger::storeRoutes() {
    const RouteList& list = loggerData().routes();
    const std::size_t count = std::min<std::size_t>(capabilities().maxRoutes, list.size());
    std::vector<VLAPI_DATA::ROUTE> records(count);
    for (std::size_t i = 0; i < count; ++i) writeRoute(*list[i], &records[i]);
    m_api->database.routes = std::move(records);
    return true;
}

bool Volkslogger::storePilots() {
    return true;
}

bool Volkslogger::storeDeclaration() {
    VLAPI_DATA::DECLARATION& record = m_api->database.declaration;
    const Declaration& d = *loggerData().declaration();
    std::string pilot;
    for (const std::string& piece : {d.pilot1(), d.pilot2(), d.pilot3(), d.pilot4()}) {
        std::string text = utf8ToWindows1252(piece);
        text.resize(kPilotPiece, ' ');
        pilot += text;
    }
    std::memcpy(record.pilot, pilot.c_str(), pilot.size() + 1);
    putFixed(record.gliderid, d.gliderID(), kGliderIdLength);
    putFixed(record.glidertype, d.gliderType(), kGliderTypeLength);
    putFixed(record.competitionclass, d.competitionClassDescription(), kCompetitionClassLength);
    putFixed(record.competitionid, d.competitionID(), kCompetitionIdLength);
    record.homepoint = VLAPI_DATA::WPT{};
    if (d.homePoint()) writeWaypoint(*d.homePoint(), &record.homepoint);

    const std::size_t n = d.task() ? d.task()->numOfTurnpoints() : 0;
    if (n == 0) {
        // No task: empty points.
        record.startpoint = VLAPI_DATA::DCLWPT{};
        record.finishpoint = VLAPI_DATA::DCLWPT{};
        record.nturnpoints = 0;
        return true;
    }
    const Task& task = *d.task();
    writeCompetitionWaypoint(*task.turnpoint(0), &record.startpoint);
    writeCompetitionWaypoint(*task.turnpoint(n - 1), &record.finishpoint);
    // Between start and finish: as many turnpoints as a route of the recorder holds.
    const std::size_t between =
        n >= 2 ? std::min<std::size_t>(n, capabilities().maxWaypointsInRoute) - 2 : 0;
    for (std::size_t i = 1; i <= between; ++i) {
        writeCompetitionWaypoint(*task.turnpoint(i), &record.turnpoints[i - 1]);
    }
    record.nturnpoints = static_cast<int>(between);
    return true;
}

std::shared_ptr<Waypoint> Volkslogger::readWaypointFromPointer(const VLAPI_DATA::WPT& record) {
    return Waypoint::fromDegrees(fromFixed(record.name), record.lat, record.lon, 0);
}

void Volkslogger::writeWaypoint(const Waypoint& waypoint, VLAPI_DATA::WPT* record) {
    putFixed(record->name, waypoint.name(), 6);
    record->lat = waypoint.latitudeDegrees();
    record->lon = waypoint.longitudeDegrees();
    record->typ = static_cast<std::uint8_t>(waypoint.type() & 0xFF);
}

void Volkslogger::writeRoute(const Route& route, VLAPI_DATA::ROUTE* record) {
    putFixed(record->name, route.name(), 14);
    const auto& waypoints = route.waypoints();
    const std::size_t count = std::min<std::size_t>(waypoints.size(), VLAPI_DATA::kRouteWaypoints);
    for (std::size_t k = 0; k < VLAPI_DATA::kRouteWaypoints; ++k) {
        record->wpt[k] = k < count ? VLAPI_DATA::WPT{} : emptySlot();
        if (k < count) writeWaypoint(*waypoints[k], &record->wpt[k]);
    }
}

std::shared_ptr<Turnpoint> Volkslogger::readTurnpointFromPointer(const VLAPI_DATA::DCLWPT& record) {
    auto turnpoint = std::make_shared<Turnpoint>();
    turnpoint->setValueFromDegrees(fromFixed(record.name), record.lat, record.lon, 0);
    turnpoint->setType(record.typ);
    if (record.zonetype == 1) {
        turnpoint->setLineWidth(record.linewidth);
    } else {
        turnpoint->setCylinderRadius(record.cylinderradius);
        turnpoint->setSectorRadius(record.sectorradius);
        turnpoint->setSectorDirection(record.sectordirection);
    }
    return turnpoint;
}

void Volkslogger::writeCompetitionWaypoint(const Turnpoint& turnpoint, VLAPI_DATA::DCLWPT* record) {
    writeWaypoint(turnpoint, record);
    switch (turnpoint.getOzType()) {
        case 0:
            record->zonetype = 0;
            record->linewidth = 0;
            record->cylinderradius = clampToInt16(turnpoint.getCylinderRadius());
            record->sectorradius = clampToInt16(turnpoint.getSectorRadius());
            record->sectordirection = clampToInt16(turnpoint.getSectorDirection());
            break;
        case 1:
            record->zonetype = 1;
            record->linewidth = clampToInt16(turnpoint.getLineWidth());
            record->cylinderradius = 0;
            record->sectorradius = 0;
            record->sectordirection = 0;
            break;
        default:
            break;
    }
}

std::shared_ptr<Task> Volkslogger::readTaskFromPointer() const {
    const VLAPI_DATA::DECLARATION& record = m_api->database.declaration;
    auto task = std::make_shared<Task>();
    std::shared_ptr<Turnpoint> previous;
    const auto append = [&](const VLAPI_DATA::DCLWPT& point) {
        auto turnpoint = readTurnpointFromPointer(point);
        turnpoint->setPreviousWaypointInRoute(previous);
        task->addTurnpoint(turnpoint, -1);
        previous = turnpoint;
    };
    append(record.startpoint);
    const int count = std::clamp(record.nturnpoints, 0, VLAPI_DATA::kDeclarationTurnpoints);
    for (int i = 0; i < count; ++i) append(record.turnpoints[i]);
    append(record.finishpoint);
    return task;
}

std::shared_ptr<Declaration> Volkslogger::readDeclarationFromPointer() const {
    const VLAPI_DATA::DECLARATION& record = m_api->database.declaration;
    auto declaration = std::make_shared<Declaration>();
    std::string pilot(record.pilot, strnlen(record.pilot, sizeof record.pilot));
    pilot.resize(4 * kPilotPiece, ' ');
    declaration->setPilot1(windows1252ToUtf8(pilot.substr(0, kPilotPiece)));
    declaration->setPilot2(windows1252ToUtf8(pilot.substr(kPilotPiece, kPilotPiece)));
    declaration->setPilot3(windows1252ToUtf8(pilot.substr(2 * kPilotPiece, kPilotPiece)));
    declaration->setPilot4(windows1252ToUtf8(pilot.substr(3 * kPilotPiece, kPilotPiece)));
    declaration->setGliderID(fromFixed(record.gliderid));
    declaration->setGliderType(fromFixed(record.glidertype));
    declaration->setCompetitionClassDescription(fromFixed(record.competitionclass));
    declaration->setCompetitionID(fromFixed(record.competitionid));
    declaration->setHomePoint(readWaypointFromPointer(record.homepoint));
    declaration->setTask(readTaskFromPointer());
    return declaration;
}

}  // namespace kelvo
