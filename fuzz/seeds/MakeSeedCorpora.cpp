// Writes the seed corpora of the fuzz targets: valid inputs made by the project's own
// encoders, so that the fuzzers start from every kind of record a device or file holds.
//   kelvo_fuzz_seeds fuzz/corpus
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "LoggerAccess/Flarm/Message.h"
#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXFlight.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "LoggerAccess/LX/convert_fil2igc.h"
#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"
#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"
#include "base/UtcDate.h"
#include "files/CUPFile.h"
#include "files/DA4File.h"
#include "files/DBTFile.h"
#include "geo/Declaration.h"
#include "geo/Latitude.h"
#include "geo/Longitude.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/Volkslogger/VolksloggerFlight.h"

namespace {

using namespace kelvo;

std::filesystem::path g_corpora;

void writeSeed(const std::string& target, const std::string& name, const void* data,
               std::size_t size) {
    const std::filesystem::path folder = g_corpora / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / ("seed-" + name), std::ios::binary)
        .write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeSeed(const std::string& target, const std::string& name, const Bytes& bytes) {
    writeSeed(target, name, bytes.data(), bytes.size());
}

void writeSeed(const std::string& target, const std::string& name, const std::string& text) {
    writeSeed(target, name, text.data(), text.size());
}

void coordinateTexts() {
    const Latitude latitude = Latitude::fromDegrees(-47.123456);
    const Longitude longitude = Longitude::fromDegrees(8.987654);
    int n = 0;
    for (const Coordinate& c : {Coordinate(latitude), Coordinate(longitude)}) {
        for (const bool sign : {false, true}) {
            writeSeed("CoordinateText", std::to_string(n++), c.descriptionWithDecimalSeconds(sign));
            writeSeed("CoordinateText", std::to_string(n++), c.descriptionWithDecimalMinutes(sign));
            writeSeed("CoordinateText", std::to_string(n++), c.descriptionWithDecimalDegrees(sign));
        }
    }
    writeSeed("CoordinateText", "packed", std::string("5207054N"));
}

sim::LXNativeTask lxTask() {
    sim::LXNativeTask task{47109, 7, 10, 9, 0, 0, 0, 1, 2, {}};
    task.slots = {{3, "HOME", 2850000, 495000},
                  {1, "START", 2851000, 496000},
                  {1, "TP1", -30, -1200},
                  {1, "FINISH", 2853000, 498000},
                  {2, "HOME", 2850000, 495000}};
    return task;
}

Bytes lxNativeFlight() {
    sim::LXNativeFlightEncoder flight;
    flight.text("HFXYZ")
        .versions(12, 25)
        .flightNumber(3)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation({"Hans", "LS8", "D-1234", "XY", 7, 100, 25, "uBlox"})
        .className("Club")
        .task(lxTask())
        .bExtensionMask(0x2001)
        .kExtensionMask(0x0001)
        .origin(36000, 2850010, 495000)
        .event("PEV")
        .fix(36005, 2850020, 494980, 500, 520)
        .bExtensionValues({12, 345})
        .kExtensionValues(3, {7})
        .filler(2)
        .fix(36006, 2850030, 494990, -12, 521, false)
        .bExtensionValues({13, 346})
        .security(0x0D, Bytes{0xAB, 0xCD})
        .securityText("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
        .unknown(0x90, Bytes(5, 0xAB))
        .end();
    return flight.secureBytes();
}

std::string lxIgc(const Bytes& native) {
    std::istringstream in(std::string(native.begin(), native.end()));
    std::ostringstream out;
    convert_fil2igc(in, out);
    return out.str();
}

void lxRecords() {
    const Bytes native = lxNativeFlight();
    writeSeed("LXNativeConverter", "secure-flight", native);
    sim::LXNativeFlightEncoder plain;
    plain.text("HFPLAIN").date(1, 1, 2020).origin(0, 0, 0).fix(1, -10, -20, 0, 0).end();
    writeSeed("LXNativeConverter", "plain-flight", plain.bytes());
    writeSeed("IGCReader", "from-lx", lxIgc(native));

    // Two directory entries and the end mark, as the recorder answers a directory read.
    Bytes directory;
    for (const std::uint8_t ok : {1, 2, 0}) {
        Bytes record(96, 0);
        record[0] = ok;
        putU16BE(record, 1, 100);
        putU16BE(record, 3, 8);
        putU16BE(record, 5, 20000);
        putU16BE(record, 7, 9);
        std::memcpy(&record[9], "07.10.09", 8);
        std::memcpy(&record[18], "09:05:00", 8);
        std::memcpy(&record[27], "13:20:30", 8);
        std::memcpy(&record[40], "Hans Muster", 11);
        std::memcpy(&record[59], ok == 1 ? "LXNAV Nano" : "SDI Colibri", 10);
        putU16BE(record, 91, 1);
        putU16BE(record, 93, 3);
        record[95] = CRC8::calc_crc(ByteSpan(record).first(95), 0xFF);
        directory.insert(directory.end(), record.begin(), record.end());
    }
    writeSeed("LXDirectoryRecord", "directory", directory);

    LXFlight flight;
    flight.setPilot("Hans Muster");
    flight.setGlider("LS8");
    flight.setRegistration("D-1234");
    flight.setCompetitionRegistration("XY");
    flight.setObserver("Eva");
    flight.setGPS("uBlox LEA-6");
    flight.setCompetitionClass(3);
    writeSeed("LXFlightRecord", "declaration", flight.data());
}

vl::VLAPI_DATA::WPT vlPoint(const char* name, double lat, double lon) {
    vl::VLAPI_DATA::WPT w;
    std::snprintf(w.name, sizeof w.name, "%s", name);
    w.lat = lat;
    w.lon = lon;
    return w;
}

sim::VolksloggerFlight vlFlight(int formatVersion) {
    sim::VolksloggerFlight f = sim::syntheticFlight(*utcTime(2009, 10, 7, 9, 5, 0), 900, 10);
    f.formatVersion = formatVersion;
    f.pilot = "Hans Huber";
    f.gliderType = "LS4";
    f.gliderId = "D-1234";
    f.competitionId = "XY";
    f.competitionClass = "Standard";
    f.timeZoneQuarterHours = 8;
    f.events = {60, 120};
    f.takeoff = 30;
    sim::VolksloggerTask task;
    task.declaredAt = -600;
    task.flightDate = {7, 10, 9};
    task.takeoff = vlPoint("HOME", 47.5, 8.25);
    task.start = vlPoint("START", 52.5, 13.25);
    task.turnpoints.push_back(vlPoint("TP1", 1, 2));
    task.finish = vlPoint("ZIEL", -33.5, -70.75);
    task.landing = task.takeoff;
    f.task = task;
    return f;
}

void volksloggerRecords() {
    const sim::VolksloggerFlight modern = vlFlight(1);
    const sim::VolksloggerFlight old = vlFlight(0);
    writeSeed("VolksloggerFlight", "format-1", sim::encodeFlight(modern));
    writeSeed("VolksloggerFlight", "format-0", sim::encodeFlight(old));
    writeSeed("VolksloggerDirectory", "two-flights", sim::encodeDirectory({modern, old}));

    std::ostringstream igc;
    vl::convert_gcs(0, igc, sim::encodeFlight(modern), 1, nullptr, nullptr);
    writeSeed("IGCReader", "from-volkslogger", igc.str());

    vl::VolksloggerDatabase db;
    db.waypoints = {vlPoint("HOME", 47.5, 8.25), vlPoint("TP1", 46.1, 7.9),
                    vlPoint("SOUTH", -33.5, -70.75)};
    vl::VLAPI_DATA::ROUTE route;
    std::snprintf(route.name, sizeof route.name, "ROUTE 1");
    route.wpt[0] = db.waypoints[0];
    route.wpt[1] = db.waypoints[1];
    db.routes = {route};
    vl::VLAPI_DATA::PILOT pilot;
    std::snprintf(pilot.name, sizeof pilot.name, "HANS HUBER");
    db.pilots = {pilot};
    vl::VLAPI_DATA::DECLARATION& d = db.declaration;
    std::snprintf(d.pilot, sizeof d.pilot, "HANS HUBER");
    std::snprintf(d.gliderid, sizeof d.gliderid, "D-1234");
    d.homepoint = db.waypoints[0];
    static_cast<vl::VLAPI_DATA::WPT&>(d.startpoint) = db.waypoints[0];
    static_cast<vl::VLAPI_DATA::WPT&>(d.finishpoint) = db.waypoints[0];
    d.nturnpoints = 1;
    static_cast<vl::VLAPI_DATA::WPT&>(d.turnpoints[0]) = db.waypoints[1];
    d.turnpoints[0].sectorradius = 500;
    writeSeed("VolksloggerImage", "database", db.buildImage());
}

void flarmRecords() {
    const std::string record = "58ALA1D2.IGC|2025-08-10|10:01:02|02:30:00|Hans Muster|D-1234";
    writeSeed("FlarmRecordText", "record", record);
    writeSeed("FlarmRecordText", "short-record", std::string("A.IGC|2025-08-10|10:01:02|00:10:00"));
    writeSeed("FlarmRecordText", "answer", sim::FlarmEmulator::sentence("PFLAC,A,PILOT,Hans"));
    writeSeed("FlarmRecordText", "obstacles",
              sim::FlarmEmulator::sentence("PFLAC,A,OBSTDB,1,2,Alps"));

    // A download as the device sends it: the record information and two IGC pieces.
    Bytes download;
    auto append = [&](std::uint8_t type, std::uint16_t seq, const Bytes& payload) {
        const Bytes frame = sim::FlarmEmulator::frame(type, seq, payload);
        download.insert(download.end(), frame.begin(), frame.end());
    };
    Bytes info{0x38, 0x33};
    info.insert(info.end(), record.begin(), record.end());
    info.push_back(0);
    append(0xA0, 1, info);
    append(0xA0, 2, {0x39, 0x33, 50, 'A', 'X', 's', 'x', '\r', '\n'});
    append(0xA0, 3, {0x3A, 0x33, 100, 'B', 0x1A});
    writeSeed("FlarmFrame", "download", download);
    writeSeed("FlarmFrame", "ping-ack", sim::FlarmEmulator::frame(0xA0, 0x3338, {}));
}

// Waypoints with every attribute the files and records carry, and two routes over them.
void fillNavigationData(LoggerData& data) {
    auto home = Waypoint::fromDegrees("HOME", 47.5, 8.25, 430);
    home->setLongName("Home Airfield");
    home->setCountry("CH");
    home->setType(5);
    home->setFrequency(122.475);
    home->setRunwayLength(800);
    home->setRunwayDirection(120);
    auto south = Waypoint::fromDegrees("SOUTH", -33.5, -70.75, 1200);
    south->setLongName("Santiago, \"Sur\"");
    auto east = Waypoint::fromDegrees("EAST", 46.1, 7.9, 0);
    data.setWaypoints({home, south, east});
    auto first = std::make_shared<Route>();
    first->setValue("Triangle", {home, east, south, home});
    auto second = std::make_shared<Route>();
    second->setValue("Out and return", {home, east, home});
    data.setRoutes({first, second});
}

void waypointFiles() {
    LoggerData data;
    fillNavigationData(data);
    writeSeed("CUPFile", "waypoints-and-task", *CUPFile().makeDataFromLoggerData(&data));
    writeSeed("DBTFile", "waypoints", *DBTFile().makeDataFromLoggerData(&data));
    writeSeed("DA4File", "waypoints-and-routes", *DA4File().makeDataFromLoggerData(&data));
}

void lxDatabaseAndDeclaration() {
    LoggerData data;
    fillNavigationData(data);
    const Bytes database = *LXLogger::databaseBlock(data.waypoints(), data.routes());
    const std::size_t waypointBytes = LXLogger::kMaxWaypoints * LXTurnpoint::kSize;
    writeSeed("LXTurnpointRecord", "waypoints",
              Bytes(database.begin(), database.begin() + 3 * LXTurnpoint::kSize));
    writeSeed(
        "LXRouteRecord", "routes",
        Bytes(database.begin() + static_cast<std::ptrdiff_t>(waypointBytes),
              database.begin() + static_cast<std::ptrdiff_t>(waypointBytes + 3 * LXRoute::kSize)));

    Declaration declaration;
    declaration.setPilot1("Hans Muster");
    declaration.setGliderType("LS8");
    declaration.setGliderID("D-1234");
    declaration.setCompetitionClass(1);
    declaration.setHomePoint(data.waypoints()[0]);
    auto task = std::make_shared<Task>();
    for (const auto& waypoint : data.routes()[0]->waypoints()) {
        task->addTurnpoint(std::make_shared<Turnpoint>(*waypoint));
    }
    declaration.setTask(task);
    const Bytes block = LXLogger::declarationBlock(declaration);
    writeSeed("LXTaskRecord", "declared-task",
              Bytes(block.begin() + 1 + LXFlight::kSize, block.end()));
    writeSeed("LXFlightRecord", "declared-flight",
              Bytes(block.begin() + 1, block.begin() + 1 + LXFlight::kSize));

    writeSeed("LXIdentificationReply", "nano",
              std::string("LX Nano\r\nVersion 2.10\r\nSN1234,HW5.1\r\nPilot:Hans\r\n"
                          "Bad:two:colons\r\nGPS:uBlox"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_corpora = argv[1];
    coordinateTexts();
    lxRecords();
    volksloggerRecords();
    flarmRecords();
    waypointFiles();
    lxDatabaseAndDeclaration();
    return 0;
}
