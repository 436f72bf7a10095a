#include "files/CUPFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "LoggerAccess/LoggerData.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/Windows1252.h"
#include "files/DegreesAndMinutes.h"
#include "base/WholeNumber.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

constexpr std::string_view kHeaderLine =
    "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc";
constexpr std::string_view kTaskSeparator = "-----Related Tasks-----";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr double kMetresPerFoot = 0.3048;
constexpr std::size_t kShortestWaypointLine = 11;

std::string_view trimWhite(std::string_view text) {
    const auto isWhite = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Degrees from DDMM.mmm (degreeDigits 2) or DDDMM.mmm (3) followed by a hemisphere
// letter, positive or negative in any case. The dot has been checked by the caller.
std::optional<double> degreesFromMinutesText(std::string_view text, std::size_t degreeDigits,
                                             char positiveLetter, char negativeLetter) {
    const std::size_t dot = degreeDigits + 2;
    const std::string_view number = text.substr(0, text.size() - 1);
    for (std::size_t i = 0; i < number.size(); ++i) {
        if (i != dot && !isDigit(number[i])) return std::nullopt;
    }
    const char hemisphere =
        static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (hemisphere != positiveLetter && hemisphere != negativeLetter) return std::nullopt;
    const double degrees = static_cast<double>(leadingInteger(number.substr(0, degreeDigits)));
    const double minutes = leadingDouble(number.substr(degreeDigits));
    if (minutes > 60.0) return std::nullopt;
    const double value = degrees + minutes / 60.0;
    return hemisphere == negativeLetter ? -value : value;
}

// Placeholders that task lines put where no take-off or landing is set.
bool isPointPlaceholder(std::string_view title) {
    return title.empty() || title == "???";
}

int leadingInt(std::string_view text) {
    return roundedOrZero<int>(static_cast<double>(leadingInteger(text)));
}

// A number with an optional unit, "m" or "ft" in any case; a bare number is metres.
double metresFromText(std::string_view text) {
    const std::string_view trimmed = trimWhite(text);
    const double value = leadingDouble(trimmed);
    if (!std::isfinite(value)) return 0.0;
    return toLowerAscii(trimmed).ends_with("ft") ? value * kMetresPerFoot : value;
}

// Options of a task ("Options,NoStart=...", "ObsZone=0,...", "STARTS=...") are no task.
bool isTaskOption(std::string_view firstField) {
    const std::string_view trimmed = trimWhite(firstField);
    return trimmed == "Options" || trimmed.find('=') != std::string_view::npos;
}

// A field in double quotes, inner quotes doubled; line ends would break the line apart.
std::string quotedField(std::string_view text) {
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return field + '"';
}

std::string quotedOrEmpty(std::string_view text) {
    return text.empty() ? "" : quotedField(text);
}

// Plain text, quoted only when it would otherwise break the line apart.
std::string plainField(std::string_view text) {
    return text.find_first_of(",\"\r\n") == std::string_view::npos ? std::string(text)
                                                                   : quotedField(text);
}

std::string coordinateField(const Coordinate& coordinate, int degreeDigits, char positiveLetter,
                            char negativeLetter) {
    if (!std::isfinite(coordinate.radians())) return "";  // no position: read back as none
    const DegreesAndMinutes value = DegreesAndMinutes::of(coordinate);
    return stringf("%0*lld%02lld.%03lld%c", degreeDigits, value.degrees, value.milliminutes / 1000,
                   value.milliminutes % 1000, value.negative ? negativeLetter : positiveLetter);
}

// The nearest whole metres with their unit, as the format requires ("95.0m").
std::string metresField(double metres) {
    const double whole = std::isfinite(metres) ? std::round(metres) + 0.0 : 0.0;  // no "-0.0m"
    return stringf("%.1fm", whole);
}

// The title under which a waypoint is written and under which tasks name it.
std::string titleOf(const Waypoint& waypoint) {
    std::string title = waypoint.longName();
    return title.empty() ? waypoint.name() : title;
}

Bytes encodeForExport(const std::string& text) {
    std::string encoded =
        fitsWindows1252(text) ? utf8ToWindows1252(text) : std::string(kUtf8ByteOrderMark) + text;
    return Bytes(encoded.begin(), encoded.end());
}

}  // namespace

std::optional<CUPColumns> CUPColumns::fromHeader(std::string_view line) {
    const std::vector<std::string> names = CUPFile::splitFields(line);
    if (toLowerAscii(trimWhite(names.front())) != "name") return std::nullopt;
    CUPColumns columns;
    const std::pair<std::string_view, std::size_t CUPColumns::*> known[] = {
        {"name", &CUPColumns::title},         {"code", &CUPColumns::code},
        {"country", &CUPColumns::country},    {"lat", &CUPColumns::latitude},
        {"lon", &CUPColumns::longitude},      {"elev", &CUPColumns::elevation},
        {"style", &CUPColumns::style},        {"rwdir", &CUPColumns::runwayDirection},
        {"rwlen", &CUPColumns::runwayLength}, {"freq", &CUPColumns::frequency}};
    for (const auto& [name, member] : known) columns.*member = kMissing;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::string name = toLowerAscii(trimWhite(names[index]));
        for (const auto& [knownName, member] : known) {
            if (name == knownName && columns.*member == kMissing) columns.*member = index;
        }
    }
    if (columns.latitude == kMissing || columns.longitude == kMissing) return std::nullopt;
    columns.minimumFields = std::max(columns.latitude, columns.longitude) + 1;
    return columns;
}

void CUPFile::parseData(ByteSpan bytes, LoggerData& loggerData) {
    clearBadLines();
    const std::string text = decodeText(bytes);
    const std::size_t separator = text.find(kTaskSeparator);
    if (separator == std::string::npos) {
        parseWaypoints(text, loggerData.waypoints());
        return;
    }
    const std::size_t taskSection = separator + kTaskSeparator.size();
    if (text.find(kTaskSeparator, taskSection) != std::string::npos) return;
    const std::string_view view = text;
    const std::string_view waypointSection = view.substr(0, separator);
    parseWaypoints(waypointSection, loggerData.waypoints());
    // The task section begins with the rest of the separator's line.
    const std::size_t separatorLine = separateStringIntoArrayOfLines(waypointSection).size() + 1;
    parseRoutes(view.substr(taskSection), loggerData.routes(), loggerData.waypoints(),
                separatorLine);
}

std::optional<Bytes> CUPFile::makeDataFromLoggerData(const LoggerData* loggerData) {
    logLine("Calling method [CUPFile makeData]");
    std::string text = std::string(kHeaderLine) + lineTerminator();
    if (loggerData != nullptr) {
        for (const auto& waypoint : loggerData->waypoints()) {
            text += createLine(*waypoint) + lineTerminator();
        }
        if (!loggerData->routes().empty()) {
            text += std::string(kTaskSeparator) + lineTerminator();
            for (const auto& route : loggerData->routes()) {
                text += createTaskLine(*route) + lineTerminator();
            }
        }
    }
    return encodeForExport(text);
}

void CUPFile::parseWaypoints(std::string_view text, WaypointList& waypoints,
                             std::size_t firstLine) {
    waypoints.clear();
    const std::vector<std::string> lines = separateStringIntoArrayOfLines(text);
    auto line = std::find_if(lines.begin(), lines.end(),
                             [](const std::string& text) { return !trimWhite(text).empty(); });
    CUPColumns columns;
    if (line != lines.end()) {
        if (auto header = CUPColumns::fromHeader(*line)) {
            columns = *header;
            ++line;
        }
    }
    for (; line != lines.end(); ++line) {
        std::string problem;
        if (auto waypoint = makeWaypoint(*line, columns, &problem)) {
            waypoints.push_back(std::move(waypoint));
        } else if (!problem.empty()) {
            addBadLine(firstLine + static_cast<std::size_t>(line - lines.begin()), problem);
        }
    }
}

void CUPFile::parseRoutes(std::string_view text, RouteList& routes, const WaypointList& waypoints,
                          std::size_t firstLine) {
    routes.clear();
    const std::vector<std::string> lines = separateStringIntoArrayOfLines(text);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        std::string problem;
        if (auto route = makeRoute(lines[index], waypoints, &problem)) {
            routes.push_back(std::move(route));
        } else if (!problem.empty()) {
            addBadLine(firstLine + index, problem);
        }
    }
}

std::shared_ptr<Waypoint> CUPFile::makeWaypoint(std::string_view line, const CUPColumns& columns,
                                                std::string* problem) {
    if (!lineIsValid(line)) return nullptr;
    const std::vector<std::string> fields = splitFields(line);
    if (fields.size() < columns.minimumFields || fields.front() == "Title") return nullptr;
    const auto field = [&](std::size_t index) -> std::string_view {
        return index < fields.size() ? std::string_view(fields[index]) : std::string_view();
    };
    const std::optional<Latitude> latitude = makeLatitude(field(columns.latitude));
    const std::optional<Longitude> longitude = makeLongitude(field(columns.longitude));
    if (!latitude || !longitude) {
        if (problem) {
            const auto [what, text] = latitude ? std::pair("longitude", field(columns.longitude))
                                               : std::pair("latitude", field(columns.latitude));
            const std::string_view title = field(columns.title);
            *problem = stringf("\"%s\" has no readable %s (\"%s\")",
                               std::string(title.empty() ? field(columns.code) : title).c_str(),
                               what, std::string(trimWhite(text)).c_str());
        }
        return nullptr;
    }

    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setLongName(std::string(field(columns.title)));
    waypoint->setName(std::string(field(columns.code)));
    waypoint->setCountry(std::string(field(columns.country)));
    waypoint->setLatitude(*latitude);
    waypoint->setLongitude(*longitude);
    waypoint->setElevation(makeElevation(field(columns.elevation)));
    waypoint->setType(makeWaypointType(field(columns.style)));
    waypoint->setRunwayDirection(makeRunwayDirection(field(columns.runwayDirection)));
    waypoint->setRunwayLength(makeRunwayLength(field(columns.runwayLength)));
    waypoint->setFrequency(makeFrequency(field(columns.frequency)));
    return waypoint;
}

std::shared_ptr<Route> CUPFile::makeRoute(std::string_view line, const WaypointList& waypoints,
                                          std::string* problem) {
    if (trimWhite(line).empty()) return nullptr;
    const std::vector<std::string> fields = splitFields(line);
    if (isTaskOption(fields.front())) return nullptr;
    auto route = std::make_shared<Route>();
    route->setName(fields.front());
    int added = 0;
    for (std::size_t index = 1; index < fields.size(); ++index) {
        const std::string_view title = trimWhite(fields[index]);
        if (isPointPlaceholder(title)) continue;
        auto waypoint = getWaypoint(title, waypoints);
        if (!waypoint) {
            if (problem) {
                *problem = stringf("task \"%s\" names \"%s\", which the file does not define",
                                   fields.front().c_str(), std::string(title).c_str());
            }
            return nullptr;
        }
        route->addWaypoint(std::move(waypoint));
        ++added;
    }
    logf("Added %d waypoints to Route %s.", added, route->name().c_str());
    return route;
}

std::shared_ptr<Waypoint> CUPFile::getWaypoint(std::string_view title,
                                               const WaypointList& waypoints) {
    const auto found = std::find_if(waypoints.begin(), waypoints.end(), [&](const auto& waypoint) {
        return waypoint->longName() == title;
    });
    return found == waypoints.end() ? nullptr : (*found)->copy();
}

bool CUPFile::lineIsValid(std::string_view line) {
    return line.size() >= kShortestWaypointLine && !line.starts_with("name");
}

std::vector<std::string> CUPFile::splitFields(std::string_view line) {
    std::vector<std::string> fields(1);
    bool inQuotes = false;
    for (std::size_t pos = 0; pos < line.size(); ++pos) {
        const char c = line[pos];
        std::string& field = fields.back();
        if (inQuotes) {
            if (c != '"') {
                field += c;
            } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
                field += '"';
                ++pos;
            } else {
                inQuotes = false;
            }
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '"' && trimWhite(field).empty()) {
            field.clear();  // blanks before the opening quote are no part of the field
            inQuotes = true;
        } else {
            field += c;
        }
    }
    return fields;
}

std::string CUPFile::trimQuotes(std::string_view text) {
    if (text.starts_with('"')) text.remove_prefix(1);
    if (text.ends_with('"')) text.remove_suffix(1);
    return std::string(text);
}

std::optional<Latitude> CUPFile::makeLatitude(std::string_view text) {
    const std::string_view trimmed = trimWhite(text);
    if (trimmed.size() < 9) return std::nullopt;
    if (trimmed[4] != '.') {
        logLine("Trying to put a longitude inside a latitude.");
        return std::nullopt;
    }
    const std::optional<double> degrees = degreesFromMinutesText(trimmed, 2, 'N', 'S');
    if (!degrees) return std::nullopt;
    const Latitude latitude = Latitude::fromDegrees(*degrees);
    return latitude.isValid() ? std::optional(latitude) : std::nullopt;
}

std::optional<Longitude> CUPFile::makeLongitude(std::string_view text) {
    const std::string_view trimmed = trimWhite(text);
    if (trimmed.size() < 10) return std::nullopt;
    if (trimmed[5] != '.') {
        logLine("Trying to put a latitude into a longitude.");
        return std::nullopt;
    }
    const std::optional<double> degrees = degreesFromMinutesText(trimmed, 3, 'E', 'W');
    if (!degrees) return std::nullopt;
    const Longitude longitude = Longitude::fromDegrees(*degrees);
    return longitude.isValid() ? std::optional(longitude) : std::nullopt;
}

double CUPFile::makeElevation(std::string_view text) {
    return metresFromText(text);
}

int CUPFile::makeWaypointType(std::string_view text) {
    return leadingInt(text);
}

int CUPFile::makeRunwayDirection(std::string_view text) {
    return leadingInt(text);
}

int CUPFile::makeRunwayLength(std::string_view text) {
    return roundedOrZero<int>(metresFromText(text));
}

double CUPFile::makeFrequency(std::string_view text) {
    const double frequency = leadingDouble(trimWhite(trimQuotes(trimWhite(text))));
    return std::isfinite(frequency) ? frequency : 0.0;
}

std::string CUPFile::createLine(const Waypoint& waypoint) {
    const double frequency = waypoint.frequency();
    const std::string fields[] = {
        quotedOrEmpty(titleOf(waypoint)),
        quotedOrEmpty(waypoint.name()),
        plainField(waypoint.country()),
        coordinateField(waypoint.latitude(), 2, 'N', 'S'),
        coordinateField(waypoint.longitude(), 3, 'E', 'W'),
        metresField(waypoint.elevation()),
        stringf("%d", waypoint.type()),
        stringf("%d", waypoint.runwayDirection()),
        metresField(waypoint.runwayLength()),
        frequency > 0.0 ? quotedField(stringf("%06.3f", frequency)) : std::string(),
        quotedOrEmpty(waypoint.description())};
    std::string line;
    for (const std::string& field : fields) {
        if (&field != &fields[0]) line += ',';
        line += field;
    }
    return line;
}

std::string CUPFile::createTaskLine(const Route& route) {
    std::string line = quotedField(route.name());
    for (const auto& waypoint : route.waypoints()) line += ',' + quotedField(titleOf(*waypoint));
    return line;
}

}  // namespace kelvo
