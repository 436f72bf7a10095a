#include "LoggerAccess/LoggerLimits.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <tuple>

#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/Logger.h"
#include "LoggerAccess/LoggerData.h"
#include "base/Format.h"
#include "base/Windows1252.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

// The recorders keep names in Windows-1252, a byte a character.
std::size_t storedLength(const std::string& name) {
    return utf8ToWindows1252(name).size();
}

bool tooLong(const std::string& name, std::uint32_t limit) {
    return limit != 0 && storedLength(name) > limit;
}

// The name cut to the characters the recorder keeps (whole UTF-8 characters).
std::string cutName(const std::string& name, std::uint32_t limit) {
    std::string cut;
    std::uint32_t characters = 0;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t length = 1;
        while (i + length < name.size() && (name[i + length] & 0xC0) == 0x80) ++length;
        if (characters++ == limit) break;
        cut.append(name, i, length);
        i += length;
    }
    return cut;
}

void countOver(std::vector<std::string>& lines, std::size_t count, std::uint32_t limit,
               const char* what) {
    if (limit != 0 && count > limit) {
        lines.push_back(stringf("the recorder holds at most %u %s; %zu are to be written", limit,
                                what, count));
    }
}

template <typename List, typename NameOf>
void namesOver(std::vector<std::string>& lines, const List& list, std::uint32_t limit,
               const char* what, NameOf nameOf) {
    const auto count = std::count_if(list.begin(), list.end(),
                                     [&](const auto& item) { return tooLong(nameOf(item), limit); });
    if (count > 0) {
        lines.push_back(stringf("%td %s %s longer than the %u characters the recorder keeps",
                                count, what, count == 1 ? "name is" : "names are", limit));
    }
}

void textChange(std::vector<std::string>& lines, const char* field, const std::string& text,
                std::size_t limit) {
    if (text.empty()) return;
    if (limit == 0) {
        lines.push_back(
            stringf("the recorder keeps no %s; \"%s\" is dropped", field, text.c_str()));
    } else if (tooLong(text, static_cast<std::uint32_t>(limit))) {
        lines.push_back(stringf("%s is cut to %zu characters: \"%s\"", field, limit,
                                cutName(text, static_cast<std::uint32_t>(limit)).c_str()));
    }
}

bool hasLowerCase(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

void zoneChanges(std::vector<std::string>& lines, const Task& task,
                 const DeclarationLimits::ZoneFields& kept) {
    using Getter = std::int32_t (Turnpoint::*)() const;
    const std::tuple<bool, Getter, const char*> zones[] = {
        {kept.lineWidth, &Turnpoint::getLineWidth, "line width"},
        {kept.cylinderRadius, &Turnpoint::getCylinderRadius, "cylinder radius"},
        {kept.sectorRadius, &Turnpoint::getSectorRadius, "sector radius"},
        {kept.sectorDirection, &Turnpoint::getSectorDirection, "sector direction"}};
    for (const auto& [isKept, value, name] : zones) {
        const auto& points = task.turnpoints();
        const bool given = std::any_of(points.begin(), points.end(), [value](const auto& point) {
            return point && ((*point).*value)() != 0;
        });
        if (!isKept && given) {
            lines.push_back(stringf("the recorder keeps no %s of the task points", name));
        }
    }
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<const char*>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

}  // namespace

std::vector<std::string> LoggerLimits::waypointFieldsDropped(const LoggerData& data,
                                                             const WaypointFields& kept) {
    using Holds = bool (*)(const Waypoint&);
    const std::tuple<bool, Holds, const char*> fields[] = {
        {kept.elevation, [](const Waypoint& w) { return w.elevation() != 0; }, "elevation"},
        {kept.type, [](const Waypoint& w) { return w.type() != 0; }, "type"},
        {kept.runwayDirection, [](const Waypoint& w) { return w.runwayDirection() != 0; },
         "runway direction"},
        {kept.runwayLength, [](const Waypoint& w) { return w.runwayLength() != 0; },
         "runway length"},
        {kept.frequency, [](const Waypoint& w) { return w.frequency() != 0; }, "frequency"}};
    bool dropped[std::size(fields)] = {};
    std::size_t losing = 0;
    for (const auto& waypoint : data.waypoints()) {
        bool loses = false;
        for (std::size_t i = 0; waypoint && i < std::size(fields); ++i) {
            const auto& [isKept, holds, name] = fields[i];
            if (isKept || !holds(*waypoint)) continue;
            loses = dropped[i] = true;
        }
        losing += loses ? 1 : 0;
    }
    if (losing == 0) return {};
    std::vector<const char*> names;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (dropped[i]) names.push_back(std::get<2>(fields[i]));
    }
    return {stringf("%zu %s %s: the recorder keeps none", losing,
                    losing == 1 ? "waypoint loses its" : "waypoints lose their",
                    listed(names).c_str())};
}

std::vector<std::string> LoggerLimits::heldWaypointNames(const LoggerData& data,
                                                         const LoggerCapabilities& capabilities) {
    // Enough to show what happens, few enough for a question to the pilot.
    constexpr std::size_t kListed = 8;
    std::vector<std::string> lines;
    if (capabilities.maxWaypoints == 0) return lines;
    std::size_t more = 0;
    for (const auto& waypoint : data.waypoints()) {
        if (!waypoint) continue;
        // The names as the editor shows them, but without the blanks that pad a record's name.
        const std::string shown =
            waypoint->longName().empty() ? waypoint->name() : waypoint->longName();
        const std::string name = waypoint->name().empty() ? waypoint->longName() : waypoint->name();
        const std::string held = tooLong(name, capabilities.lenWaypointName)
                                     ? cutName(name, capabilities.lenWaypointName)
                                     : name;
        if (held == shown) continue;
        if (lines.size() == kListed) {
            ++more;
        } else {
            lines.push_back(stringf("\"%s\" will be held as \"%s\"", shown.c_str(), held.c_str()));
        }
    }
    if (more > 0) {
        lines.push_back(stringf("%zu more %s held under shorter names", more,
                                more == 1 ? "waypoint is" : "waypoints are"));
    }
    return lines;
}

std::vector<std::string> LoggerLimits::declarationChanges(const LoggerData& data,
                                                          const DeclarationLimits& limits) {
    std::vector<std::string> lines;
    const Declaration& d = *data.declaration();
    const std::pair<const char*, std::string> pilots[] = {
        {"Pilot 1", d.pilot1()}, {"Pilot 2", d.pilot2()}, {"Pilot 3", d.pilot3()},
        {"Pilot 4", d.pilot4()}};
    for (std::size_t i = 0; i < std::size(pilots); ++i) {
        textChange(lines, pilots[i].first, pilots[i].second, limits.pilotLength[i]);
    }
    textChange(lines, "Glider ID", d.gliderID(), limits.gliderIDLength);
    textChange(lines, "Glider type", d.gliderType(), limits.gliderTypeLength);
    textChange(lines, "Competition ID", d.competitionID(), limits.competitionIDLength);
    const std::string texts[] = {d.pilot1(), d.pilot2(), d.pilot3(), d.pilot4(), d.gliderID(),
                                 d.gliderType(), d.competitionID()};
    if (limits.upperCase && std::any_of(std::begin(texts), std::end(texts), hasLowerCase)) {
        lines.emplace_back("the recorder keeps the declaration's texts in capitals");
    }
    if (const auto& home = d.homePoint(); home && !limits.keepsHomePoint) {
        lines.push_back(
            stringf("the recorder keeps no home point; \"%s\" is dropped", home->name().c_str()));
    } else if (home) {
        textChange(lines, "the home point's name", home->name(), limits.pointNameLength);
        if (!limits.keepsHomeElevation && home->elevation() != 0) {
            lines.push_back(stringf("the recorder keeps no home elevation; %.0f m is dropped",
                                    home->elevation()));
        }
    }
    if (const auto& task = d.task()) {
        namesOver(lines, task->turnpoints(), static_cast<std::uint32_t>(limits.pointNameLength),
                  "task point",
                  [](const auto& point) { return point ? point->name() : std::string(); });
        zoneChanges(lines, *task, limits.zones);
    }
    const auto fitted = DeclarationFit::changes(d, limits);
    lines.insert(lines.end(), fitted.begin(), fitted.end());
    return lines;
}

std::vector<std::string> LoggerLimits::excess(const LoggerData& data,
                                              const LoggerCapabilities& capabilities) {
    std::vector<std::string> lines;
    countOver(lines, data.waypoints().size(), capabilities.maxWaypoints, "waypoints");
    namesOver(lines, data.waypoints(), capabilities.lenWaypointName, "waypoint",
              [](const auto& waypoint) { return waypoint ? waypoint->name() : std::string(); });
    countOver(lines, data.routes().size(), capabilities.maxRoutes, "routes");
    namesOver(lines, data.routes(), capabilities.lenRouteName, "route",
              [](const auto& route) { return route ? route->name() : std::string(); });
    const auto longestRoute = std::max_element(
        data.routes().begin(), data.routes().end(), [](const auto& a, const auto& b) {
            return (a ? a->waypoints().size() : 0) < (b ? b->waypoints().size() : 0);
        });
    if (longestRoute != data.routes().end() && *longestRoute) {
        countOver(lines, (*longestRoute)->waypoints().size(), capabilities.maxWaypointsInRoute,
                  "points in a route");
    }
    countOver(lines, data.pilots().size(), capabilities.maxPilots, "pilots");
    namesOver(lines, data.pilots(), capabilities.lenPilotName, "pilot",
              [](const std::string& pilot) { return pilot; });
    if (const auto& task = data.declaration()->task()) {
        countOver(lines, task->numOfTurnpoints(), capabilities.maxTaskPoints, "task points");
    }
    return lines;
}

std::vector<std::string> LoggerLimits::unkeptChanges(
    const Logger& logger, const std::set<std::string>& routeNamesAsRead) {
    const LoggerData& data = logger.loggerData();
    std::vector<std::string> lines = excess(data, logger.capabilities());
    const auto dropped = waypointFieldsDropped(data, logger.capabilities().keptWaypointFields);
    lines.insert(lines.end(), dropped.begin(), dropped.end());
    const auto held = heldWaypointNames(data, logger.capabilities());
    lines.insert(lines.end(), held.begin(), held.end());
    const auto renamed = std::count_if(
        data.routes().begin(), data.routes().end(),
        [&](const auto& route) { return route && !routeNamesAsRead.contains(route->name()); });
    if (!logger.capabilities().keepsRouteNames && renamed > 0) {
        lines.push_back(stringf("the recorder keeps no route names; %td %s", renamed,
                                renamed == 1 ? "route loses its" : "routes lose theirs"));
    }
    if (const auto limits = logger.declarationLimits()) {
        const auto declaration = declarationChanges(data, *limits);
        lines.insert(lines.end(), declaration.begin(), declaration.end());
    }
    return lines;
}

std::vector<std::string> LoggerLimits::cutToFit(LoggerData& data,
                                                const LoggerCapabilities& capabilities) {
    std::vector<std::string> cut = excess(data, capabilities);
    const auto limitTo = [](auto& list, std::uint32_t limit) {
        if (limit != 0 && list.size() > limit) list.resize(limit);
    };
    limitTo(data.waypoints(), capabilities.maxWaypoints);
    for (const auto& waypoint : data.waypoints()) {
        if (waypoint && tooLong(waypoint->name(), capabilities.lenWaypointName)) {
            waypoint->setName(cutName(waypoint->name(), capabilities.lenWaypointName));
        }
    }
    limitTo(data.routes(), capabilities.maxRoutes);
    for (const auto& route : data.routes()) {
        if (!route) continue;
        if (tooLong(route->name(), capabilities.lenRouteName)) {
            route->setName(cutName(route->name(), capabilities.lenRouteName));
        }
        auto points = route->waypoints();
        limitTo(points, capabilities.maxWaypointsInRoute);
        if (points.size() != route->waypoints().size()) route->setWaypoints(std::move(points));
    }
    limitTo(data.pilots(), capabilities.maxPilots);
    for (std::string& pilot : data.pilots()) {
        if (tooLong(pilot, capabilities.lenPilotName)) pilot = cutName(pilot, capabilities.lenPilotName);
    }
    if (const auto& task = data.declaration()->task(); task && capabilities.maxTaskPoints >= 2) {
        // Turnpoints go from before the finish, so the task still ends where it should.
        while (task->numOfTurnpoints() > capabilities.maxTaskPoints) {
            task->removeWaypoint(task->numOfTurnpoints() - 2);
        }
    }
    return cut;
}

}  // namespace kelvo
