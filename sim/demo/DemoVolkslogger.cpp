#include "sim/demo/DemoVolkslogger.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo::sim {

namespace {

using vl::VLAPI_DATA;

template <std::size_t N>
void copyText(char (&target)[N], const std::string& text) {
    std::strncpy(target, text.c_str(), N - 1);
    target[N - 1] = '\0';
}

VLAPI_DATA::WPT wptOf(const Waypoint& waypoint) {
    VLAPI_DATA::WPT wpt;
    copyText(wpt.name, waypoint.name());
    wpt.lat = waypoint.latitudeDegrees();
    wpt.lon = waypoint.longitudeDegrees();
    wpt.typ = static_cast<std::uint8_t>(waypoint.type() & 0x7F);
    return wpt;
}

VLAPI_DATA::DCLWPT declarationPointOf(const Waypoint& waypoint) {
    VLAPI_DATA::DCLWPT point;
    static_cast<VLAPI_DATA::WPT&>(point) = wptOf(waypoint);
    if (const auto* turnpoint = dynamic_cast<const Turnpoint*>(&waypoint)) {
        point.zonetype = turnpoint->getOzType();
        point.linewidth = static_cast<std::int16_t>(turnpoint->getLineWidth());
        point.cylinderradius = static_cast<std::int16_t>(turnpoint->getCylinderRadius());
        point.sectorradius = static_cast<std::int16_t>(turnpoint->getSectorRadius());
        point.sectordirection = static_cast<std::int16_t>(turnpoint->getSectorDirection());
    }
    return point;
}

VLAPI_DATA::ROUTE routeOf(const Route& route) {
    VLAPI_DATA::ROUTE record;
    copyText(record.name, route.name());
    const std::size_t count =
        std::min<std::size_t>(route.waypoints().size(), VLAPI_DATA::kRouteWaypoints);
    for (std::size_t i = 0; i < count; ++i) record.wpt[i] = wptOf(*route.waypoints()[i]);
    return record;
}

VLAPI_DATA::DECLARATION declarationOf(const Declaration& declaration) {
    VLAPI_DATA::DECLARATION record;
    copyText(record.pilot, declaration.pilot1());
    copyText(record.gliderid, declaration.gliderID());
    copyText(record.glidertype, declaration.gliderType());
    copyText(record.competitionclass, declaration.competitionClassDescription());
    copyText(record.competitionid, declaration.competitionID());
    if (declaration.homePoint()) record.homepoint = wptOf(*declaration.homePoint());
    const auto& points = declaration.task()->turnpoints();
    if (points.size() >= 2) {
        record.startpoint = declarationPointOf(*points.front());
        record.finishpoint = declarationPointOf(*points.back());
        record.nturnpoints = static_cast<int>(
            std::min<std::size_t>(points.size() - 2, VLAPI_DATA::kDeclarationTurnpoints));
        for (int i = 0; i < record.nturnpoints; ++i) {
            record.turnpoints[i] = declarationPointOf(*points[static_cast<std::size_t>(i) + 1]);
        }
    }
    return record;
}

// Pressure sensor reading of a pressure altitude in the standard atmosphere.
std::uint16_t pressureReading(int altitude) {
    const double pressure = 1013.25 * std::pow(1.0 - 0.0065 * altitude / 288.15, 5.25588);
    return static_cast<std::uint16_t>(
        std::clamp(std::lround(pressure * 4096.0 / 1100.0), 0L, 4095L));
}

long thousandthsOfMinutes(double degrees) {
    return std::lround(degrees * 60000.0);
}

VolksloggerTask taskOf(const DemoFlight& flight) {
    VolksloggerTask task;
    task.declaredAt = -20 * 60;
    task.takeoff = wptOf(*flight.task.front());
    task.start = wptOf(*flight.task.front());
    for (std::size_t i = 1; i + 1 < flight.task.size(); ++i) {
        task.turnpoints.push_back(wptOf(*flight.task[i]));
    }
    task.finish = wptOf(*flight.task.back());
    task.landing = wptOf(*flight.task.back());
    return task;
}

VolksloggerFlight flightOf(const DemoFlight& demo) {
    VolksloggerFlight flight;
    flight.pilot = demo.pilot;
    flight.gliderType = demo.gliderType;
    flight.gliderId = demo.gliderId;
    flight.competitionId = demo.competitionId;
    flight.competitionClass = demo.competitionClass;
    flight.firstFix = demo.firstFix();
    for (const DemoFix& demoFix : demo.fixes) {
        VolksloggerFlight::Fix fix;
        fix.at = (demoFix.time - demo.firstFix()).count();
        fix.valid = demoFix.valid;
        fix.latitude = thousandthsOfMinutes(demoFix.latitude);
        fix.longitude = thousandthsOfMinutes(demoFix.longitude);
        fix.pressure = pressureReading(demoFix.pressureAltitude);
        fix.altitude = (demoFix.gpsAltitude + 1000 + 5) / 10;
        fix.accuracy = 2;
        flight.fixes.push_back(fix);
    }
    for (const DemoEvent& event : demo.events) {
        flight.events.push_back((event.time - demo.firstFix()).count());
    }
    flight.takeoff = 90;  // the demo flights roll after a minute and a half on the ground
    if (demo.task.size() >= 2) flight.task = taskOf(demo);
    return flight;
}

}  // namespace

VolksloggerMemory demoVolksloggerMemory(const DemoContent& content) {
    VolksloggerMemory memory;
    memory.serialNumber = 4711;
    for (const auto& flight : content.flights) memory.flights.push_back(flightOf(flight));
    for (const auto& waypoint : content.waypoints) {
        memory.database.waypoints.push_back(wptOf(*waypoint));
    }
    for (const auto& route : content.routes) memory.database.routes.push_back(routeOf(*route));
    for (const char* name : {"ANNA KELLER", "JO BRANDT"}) {
        VLAPI_DATA::PILOT pilot;
        copyText(pilot.name, name);
        memory.database.pilots.push_back(pilot);
    }
    memory.database.declaration = declarationOf(*content.declaration);
    return memory;
}

}  // namespace kelvo::sim
