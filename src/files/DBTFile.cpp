#include "files/DBTFile.h"

#include <algorithm>
#include <cctype>

#include "LoggerAccess/LoggerData.h"
#include "base/Log.h"
#include "base/Text.h"
#include "files/DegreesAndMinutes.h"
#include "base/WholeNumber.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

constexpr std::size_t kFieldCount = 5;

// Degrees x 100000 + thousandths of a minute, negative south and west.
long long packed(const Coordinate& coordinate) {
    const DegreesAndMinutes value = DegreesAndMinutes::of(coordinate);
    const long long magnitude = value.degrees * 100000 + value.milliminutes;
    return value.negative ? -magnitude : magnitude;
}

std::string_view withoutLettersAtEnds(std::string_view text) {
    const auto isLetterOrBlank = [](char c) {
        return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == ' ' || c == '\t';
    };
    while (!text.empty() && isLetterOrBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isLetterOrBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The name field cannot hold the field separator or a line end; they would shift every
// later field when the file is read back.
std::string nameField(std::string name) {
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == ',' || c == '\r' || c == '\n'; }, ' ');
    return name;
}

}  // namespace

int DBTFile::convertFromVolksloggerWaypointType(int volksloggerType) {
    switch (volksloggerType) {
        case 1:
        case 9:
            return 3;
        case 4:
        case 5:
            return 2;
        case 2:
        case 3:
        case 6:
        case 7:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            return 5;
        default:  // 0, 8 and every unknown number
            return 1;
    }
}

int DBTFile::convertToVolksloggerWaypointType(int waypointType) {
    switch (waypointType) {
        case 2:
        case 4:
            return 5;
        case 3:
            return 1;
        case 5:
            return 3;
        default:
            return 0;
    }
}

void DBTFile::parseData(ByteSpan bytes, LoggerData& loggerData) {
    logLine("Entering [DBTFile parse].");
    auto& waypoints = loggerData.waypoints();
    waypoints.clear();
    for (const std::string& line : separateStringIntoArrayOfLines(decodeText(bytes))) {
        if (auto waypoint = makeWaypoint(line)) waypoints.push_back(std::move(waypoint));
    }
    logLine("Leaving [DBTFile parse].");
}

std::optional<Bytes> DBTFile::makeDataFromLoggerData(const LoggerData* loggerData) {
    logLine("Calling method [DBTFile makeData]");
    std::string text = getFileHeader() + lineTerminator();
    if (loggerData != nullptr) {
        for (const auto& waypoint : loggerData->waypoints()) {
            text += createLine(*waypoint) + lineTerminator();
        }
    }
    return Bytes(text.begin(), text.end());
}

std::shared_ptr<Waypoint> DBTFile::makeWaypoint(std::string_view line) {
    const std::vector<std::string> fields = splitAt(line, ',');
    if (fields.size() < kFieldCount) return nullptr;
    auto waypoint = Waypoint::fromStrings(fields[1], fields[2], fields[3], 0.0);
    const double volksloggerType =
        static_cast<double>(leadingInteger(withoutLettersAtEnds(fields[4])));
    waypoint->setType(convertFromVolksloggerWaypointType(roundedOrZero<int>(volksloggerType)));
    return waypoint;
}

std::string DBTFile::createLine(const Waypoint& waypoint) {
    return stringf("%d,%s,%.7lld,%.6lld,%c%d", 1, nameField(waypoint.name()).c_str(),
                   packed(waypoint.latitude()), packed(waypoint.longitude()), 'X',
                   convertToVolksloggerWaypointType(waypoint.type()));
}

}  // namespace kelvo
