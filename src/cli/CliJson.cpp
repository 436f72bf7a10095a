#include "cli/CliJson.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "base/Format.h"
#include "base/Text.h"
#include "base/UtcDate.h"
#include "cli/CliArguments.h"
#include "geo/Declaration.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "igc/FlightStatistics.h"
#include "igc/KelvoTrace.h"
#include "igc/Logbook.h"

namespace kelvo::cli {

namespace {

// Seven decimals of a degree are about a centimetre; more would only show rounding noise.
double roundedDegrees(double degrees) {
    return std::round(degrees * 1e7) / 1e7;
}

[[noreturn]] void reject(const std::string& field, const std::string& expectation) {
    throw OperationFailure(
        stringf("declaration: \"%s\" must be %s", field.c_str(), expectation.c_str()));
}

// "a", "b", "c" in quotes, for the message that lists what is allowed.
std::string quotedList(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "\"" : ", \"") + name + "\"";
    return text;
}

const std::vector<std::string> kDeclarationKeys{
    "pilot1",     "pilot2",        "pilot3",           "pilot4",    "gliderID",
    "gliderType", "competitionID", "competitionClass", "homePoint", "task"};
const std::vector<std::string> kHomePointKeys{"name", "latitude", "longitude", "elevation"};
const std::vector<std::string> kTaskPointKeys{"name",           "latitude",     "longitude",
                                              "elevation",      "ozType",       "lineWidth",
                                              "cylinderRadius", "sectorRadius", "sectorDirection"};

// A misspelt key would otherwise leave its field as it was, and the upload would say
// "verified" of a declaration the pilot did not mean.
void refuseUnknownKeys(const Json& object, const std::string& where,
                       const std::vector<std::string>& allowed) {
    for (const auto& [key, value] : object.items()) {
        if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
            throw OperationFailure("declaration: unknown key \"" + key + "\"" +
                                   (where.empty() ? "" : " in " + where) + "; the keys are " +
                                   quotedList(allowed));
        }
    }
}

std::string textField(const Json& object, const std::string& key) {
    const Json& value = object.at(key);
    if (!value.is_string()) reject(key, "a text");
    return value.get<std::string>();
}

double numberField(const Json& object, const std::string& key, double limit) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number()) reject(key, "a number");
    const double number = found->get<double>();
    if (!std::isfinite(number) || std::abs(number) > limit) reject(key, "within range");
    return number;
}

std::int32_t wholeField(const Json& object, const std::string& key) {
    const auto found = object.find(key);
    if (found == object.end()) return 0;
    if (!found->is_number_integer()) reject(key, "a whole number");
    const auto number = found->get<std::int64_t>();
    if (number < -100000 || number > 100000) reject(key, "within range");
    return static_cast<std::int32_t>(number);
}

// A point of the document: name, latitude and longitude, elevation when given.
void readPoint(const Json& object, const std::string& where, Waypoint& waypoint,
               const std::vector<std::string>& keys) {
    if (!object.is_object()) reject(where, "an object with name, latitude and longitude");
    refuseUnknownKeys(object, where, keys);
    const std::string name = object.contains("name") ? textField(object, "name") : "";
    const double elevation =
        object.contains("elevation") ? numberField(object, "elevation", 10000) : 0;
    waypoint.setValueFromDegrees(name, numberField(object, "latitude", 90),
                                 numberField(object, "longitude", 180), elevation);
}

std::shared_ptr<Turnpoint> readTurnpoint(const Json& object, const std::string& where) {
    Waypoint point;
    readPoint(object, where, point, kTaskPointKeys);
    auto turnpoint = std::make_shared<Turnpoint>(point);
    const std::int32_t zone = wholeField(object, "ozType");
    if (zone != 0 && zone != 1) reject(where + ".ozType", "0 (cylinder and sector) or 1 (line)");
    if (zone == 1) {
        turnpoint->setOzType(1);
        turnpoint->setLineWidth(wholeField(object, "lineWidth"));
    } else {
        turnpoint->setOzType(0);
        turnpoint->setCylinderRadius(wholeField(object, "cylinderRadius"));
        turnpoint->setSectorRadius(wholeField(object, "sectorRadius"));
        turnpoint->setSectorDirection(wholeField(object, "sectorDirection"));
    }
    return turnpoint;
}

// No task, or one from a start to a finish.
std::shared_ptr<Task> readTask(const Json& array) {
    if (!array.is_array()) reject("task", "an array of points");
    if (array.size() == 1) reject("task", "empty or hold a start and a finish");
    auto task = std::make_shared<Task>();
    for (std::size_t i = 0; i < array.size(); ++i) {
        task->addTurnpoint(readTurnpoint(array[i], stringf("task[%zu]", i)));
    }
    return task;
}

// The class by its name in any case ("" for none); any other name is refused, as the
// recorder would keep no class for it.
void setCompetitionClass(const std::string& name, Declaration& declaration) {
    const auto& names = Declaration::competitionClassNames();
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (toUpperAscii(names[index]) == toUpperAscii(name)) {
            declaration.setCompetitionClass(static_cast<std::int32_t>(index));
            return;
        }
    }
    reject("competitionClass", "one of " + quotedList(names));
}

// Kilometres to the metre.
double roundedKilometres(double kilometres) {
    return std::round(kilometres * 1000.0) / 1000.0;
}

template <typename Value>
Json orNull(const std::optional<Value>& value) {
    return value ? Json(*value) : Json();
}

Json orNull(const std::optional<std::chrono::sys_seconds>& time) {
    return time ? Json(isoUtc(*time)) : Json();
}

Json dateJson(const std::optional<std::chrono::sys_seconds>& day) {
    if (!day) return Json();
    const UtcFields fields = utcFields(*day);
    return stringf("%04d-%02d-%02d", fields.year, fields.month, fields.day);
}

}  // namespace

Json pointJson(const Waypoint& waypoint, bool withZone) {
    Json point{{"name", waypoint.name()},
               {"latitude", roundedDegrees(waypoint.latitudeDegrees())},
               {"longitude", roundedDegrees(waypoint.longitudeDegrees())}};
    const auto* turnpoint = dynamic_cast<const Turnpoint*>(&waypoint);
    if (withZone && turnpoint != nullptr) {
        point["ozType"] = turnpoint->getOzType();
        point["lineWidth"] = turnpoint->getLineWidth();
        point["cylinderRadius"] = turnpoint->getCylinderRadius();
        point["sectorRadius"] = turnpoint->getSectorRadius();
        point["sectorDirection"] = turnpoint->getSectorDirection();
    }
    return point;
}

std::optional<std::string> columnText(const FlightColumn& column, const FlightEntry& entry) {
    const FlightColumn::Value value = column.read(entry);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* time = std::get_if<std::chrono::sys_seconds>(&value)) return isoUtc(*time);
    return std::nullopt;
}

Json flightEntryJson(const FlightEntry& entry) {
    Json object = Json::object();
    for (const FlightColumn* column : FlightColumn::all()) {
        if (auto text = columnText(*column, entry)) object[column->key] = std::move(*text);
    }
    return object;
}

Json declarationJson(const Declaration& declaration) {
    Json task = Json::array();
    if (declaration.task()) {
        for (const auto& turnpoint : declaration.task()->turnpoints()) {
            task.push_back(pointJson(*turnpoint));
        }
    }
    return Json{{"pilot1", declaration.pilot1()},
                {"pilot2", declaration.pilot2()},
                {"pilot3", declaration.pilot3()},
                {"pilot4", declaration.pilot4()},
                {"gliderID", declaration.gliderID()},
                {"gliderType", declaration.gliderType()},
                {"competitionID", declaration.competitionID()},
                {"competitionClass", declaration.competitionClassDescription()},
                {"homePoint",
                 declaration.homePoint() ? pointJson(*declaration.homePoint(), false) : Json()},
                {"task", std::move(task)}};
}

void applyDeclarationJson(const Json& document, Declaration& declaration) {
    if (!document.is_object()) throw OperationFailure("declaration: the document is not an object");
    refuseUnknownKeys(document, "", kDeclarationKeys);
    using Setter = void (Declaration::*)(std::string);
    const std::pair<const char*, Setter> texts[] = {
        {"pilot1", &Declaration::setPilot1},
        {"pilot2", &Declaration::setPilot2},
        {"pilot3", &Declaration::setPilot3},
        {"pilot4", &Declaration::setPilot4},
        {"gliderID", &Declaration::setGliderID},
        {"gliderType", &Declaration::setGliderType},
        {"competitionID", &Declaration::setCompetitionID},
    };
    for (const auto& [key, setter] : texts) {
        if (document.contains(key)) (declaration.*setter)(textField(document, key));
    }
    if (document.contains("competitionClass")) {
        setCompetitionClass(textField(document, "competitionClass"), declaration);
    }
    if (document.contains("homePoint")) {
        const Json& home = document.at("homePoint");
        std::shared_ptr<Waypoint> point;
        if (!home.is_null()) {
            point = std::make_shared<Waypoint>();
            readPoint(home, "homePoint", *point, kHomePointKeys);
        }
        declaration.setHomePoint(std::move(point));
    }
    if (document.contains("task")) declaration.setTask(readTask(document.at("task")));
}

Json traceJson(const KelvoTrace& trace) {
    Json task = Json::array();
    for (const auto& waypoint : trace.waypoints()) task.push_back(pointJson(*waypoint));
    Json header = Json::object();
    for (const auto& [key, value] : trace.header()) header[key] = value;
    return Json{{"fileName", trace.fileName()},
                {"date", dateJson(trace.dateOfFlight())},
                {"header", std::move(header)},
                {"task", std::move(task)},
                {"fixCount", trace.points().size()},
                {"skippedFixes", trace.skippedFixes()}};
}

namespace {

std::string dumped(const Json& value, int indent) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

void writeTraceJson(std::ostream& out, const Json& document, const KelvoTrace& trace,
                    bool withFixes) {
    std::string summary = dumped(document, 2);
    if (!withFixes) {
        out << summary << '\n';
        return;
    }
    // The summary object stays open for the fixes, one line each, written as they come.
    summary.resize(summary.size() - 2);  // its closing "\n}"
    out << summary << ",\n  \"fixes\": [";
    const char* separator = "\n    ";
    for (const auto& fix : trace.points()) {
        const Json point{{"time", isoUtc(fix.timeStamp())},
                         {"latitude", roundedDegrees(fix.position().latitudeDegrees())},
                         {"longitude", roundedDegrees(fix.position().longitudeDegrees())},
                         {"elevation", fix.position().elevation()}};
        out << separator << dumped(point, -1);
        separator = ",\n    ";
    }
    out << "\n  ]\n}\n";
}

Json statisticsJson(const FlightStatistics& statistics) {
    Json document{
        {"takeoff", orNull(statistics.takeoff)},
        {"landing", orNull(statistics.landing)},
        {"flightTime", statistics.flightTime.count()},
        {"distanceFlown", roundedKilometres(statistics.distanceFlown)},
        {"greatestDistanceFromTakeoff", roundedKilometres(statistics.greatestDistanceFromTakeoff)},
        {"taskDistance", Json()},
        {"highestAltitude", orNull(statistics.highestAltitude)},
        {"lowestAltitude", orNull(statistics.lowestAltitude)},
        {"altitudeGained", statistics.altitudeGained},
        {"bestClimb", orNull(statistics.bestClimb)}};
    if (statistics.taskDistance)
        document["taskDistance"] = roundedKilometres(*statistics.taskDistance);
    document["freeDistance"] = Json();
    document["freeDistancePoints"] = Json::array();
    if (statistics.freeDistance) {
        Json points = Json::array();
        for (const TracePosition& point : statistics.freeDistance->points) {
            points.push_back({{"time", isoUtc(point.timeStamp())},
                              {"latitude", roundedDegrees(point.position().latitudeDegrees())},
                              {"longitude", roundedDegrees(point.position().longitudeDegrees())}});
        }
        document["freeDistance"] = roundedKilometres(statistics.freeDistance->distance);
        document["freeDistancePoints"] = std::move(points);
    }
    return document;
}

Json logbookEntryJson(const LogbookEntry& entry) {
    return Json{{"file", entry.file},
                {"date", dateJson(entry.date)},
                {"takeoff", orNull(entry.takeoff)},
                {"landing", orNull(entry.landing)},
                {"flightTime", entry.flightTime.count()},
                {"pilot", entry.pilot},
                {"gliderType", entry.gliderType},
                {"registration", entry.registration},
                {"competitionId", entry.competitionId},
                {"distance", roundedKilometres(entry.distance)},
                {"freeDistance", roundedKilometres(entry.freeDistance)},
                {"highestAltitude", orNull(entry.highestAltitude)}};
}

}  // namespace kelvo::cli
