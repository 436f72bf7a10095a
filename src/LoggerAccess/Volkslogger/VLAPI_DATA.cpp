#include "LoggerAccess/Volkslogger/VLAPI_DATA.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "LoggerAccess/Volkslogger/DBB.h"

namespace kelvo::vl {
namespace {

constexpr double kUnitsPerDegree = 60000.0;  // thousandths of a minute of arc
constexpr std::uint32_t kLatitudeMask = 0x7FFFFF;
constexpr std::uint32_t kLongitudeMask = 0xFFFFFF;
constexpr std::uint32_t kLatitudeSouth = 0x800000;
constexpr std::uint8_t kLongitudeWest = 0x80;

enum FormField : std::uint8_t {
    kPilot1 = 1,
    kGliderType = 5,
    kGliderId = 6,
    kCompetitionId = 7,
    kCompetitionClass = 8,
    kTurnpointCount = 16,
    kHomePoint = 32,
    kStartPoint = 33,
    kFinishPoint = 34,
    kFirstTurnpoint = 49,
};

constexpr std::size_t kPilotPiece = 16;

// The part of a record at offset, or an empty span when it does not lie inside.
template <typename Span>
Span part(Span record, std::size_t offset, std::size_t size) {
    if (offset > record.size() || size > record.size() - offset) return {};
    return record.subspan(offset, size);
}

// |degrees| x 60000, rounded to the nearest unit and limited to the field; not a number
// gives 0.
std::uint32_t magnitude(double degrees, std::uint32_t mask) {
    if (std::isnan(degrees)) return 0;
    const double units = std::round(std::fabs(degrees) * kUnitsPerDegree);
    return units >= mask ? mask : static_cast<std::uint32_t>(units);
}

// Upper-cases the text in place up to its NUL or limit characters; answers its length.
std::size_t upperCase(char* text, std::size_t limit) {
    const std::size_t length = strnlen(text, limit);
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
    }
    return length;
}

// Upper-cases the name in place (up to width characters), then stores it padded with spaces.
void putName(MutableByteSpan record, char* name, std::size_t width) {
    const std::size_t length = upperCase(name, width);
    putText(record, 0, width, std::string_view(name, length), ' ');
}

// The first width bytes of the record as an upper-case NUL-terminated name.
void getName(ByteSpan record, char* name, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) name[i] = static_cast<char>(getU8(record, i));
    name[width] = '\0';
    upperCase(name, width);
}

constexpr int kNibble = 15;

// The zone byte of a width that two nibbles multiply to: the smallest high nibble that
// leaves a quotient of at most 15; none for a width no such pair gives.
std::optional<std::uint8_t> exactLineWidthZone(int width) {
    for (int h = 1; h <= kNibble; ++h) {
        if (width % h == 0 && width / h <= kNibble) {
            return static_cast<std::uint8_t>(h << 4 | width / h);
        }
    }
    return std::nullopt;
}

// The line width the zone byte can hold nearest to the given one (the wider on a tie).
std::uint8_t lineWidthZone(int width) {
    const int wanted = std::clamp(width, 0, kNibble * kNibble);
    for (int distance = 0;; ++distance) {
        for (const int candidate : {wanted + distance, wanted - distance}) {
            if (candidate < 0) continue;
            if (const auto zone = exactLineWidthZone(candidate)) return *zone;
        }
    }
}

// A radius in units of step, to the nearest unit that a nibble holds.
int radiusNibble(int radius, int step) {
    return std::clamp(static_cast<int>(std::lround(radius / static_cast<double>(step))), 0, kNibble);
}

std::uint8_t radiiZone(int cylinderRadius, int sectorRadius) {
    return static_cast<std::uint8_t>(radiusNibble(sectorRadius, 1000) << 4 |
                                     radiusNibble(cylinderRadius, 100));
}

// Half the direction, to the nearest step of 2 degrees; 359 degrees is stored as 0 (360).
std::uint8_t sectorDirectionByte(int degrees) {
    const long halves = std::lround(degrees / 2.0) % 180;
    return static_cast<std::uint8_t>(halves < 0 ? halves + 180 : halves);
}

// Copies a NUL-terminated text field into a fixed array of capacity bytes (terminator
// included), reading at most limit bytes of the field.
void copyText(ByteSpan data, char* target, std::size_t capacity, std::size_t limit) {
    const std::string text = getText(data, 0, std::min(limit, capacity - 1));
    std::memcpy(target, text.c_str(), text.size() + 1);
}

// Upper-cases a text of a fixed array in place and adds it with its terminating NUL.
template <std::size_t N>
void addText(DBB& dbb, int id, char (&text)[N]) {
    const std::size_t length = upperCase(text, N - 1);
    Bytes field(text, text + length);
    field.push_back(0);
    dbb.add_fdf(id, field);
}

void addDeclarationWaypoint(DBB& dbb, int id, VLAPI_DATA::DCLWPT& point) {
    std::uint8_t record[VLAPI_DATA::kDeclarationWaypointRecordSize];
    point.put(record);
    dbb.add_fdf(id, record);
}

void getDeclarationWaypoint(const DBB& dbb, int id, VLAPI_DATA::DCLWPT& point) {
    const auto data = dbb.fieldData(static_cast<std::uint8_t>(id));
    if (data && data->size() >= VLAPI_DATA::kDeclarationWaypointRecordSize) point.get(*data);
}

}  // namespace

void VLAPI_DATA::WPT::get(ByteSpan record) {
    getName(record, name, 6);
    const std::uint8_t flags = getU8(record, 6);
    typ = flags & 0x7F;
    const std::uint32_t latitude = getU24BE(record, 7);
    lat = (latitude & kLatitudeMask) / kUnitsPerDegree;
    if (latitude & kLatitudeSouth) lat = -lat;
    lon = getU24BE(record, 10) / kUnitsPerDegree;
    if (flags & kLongitudeWest) lon = -lon;
}

void VLAPI_DATA::WPT::put(MutableByteSpan record) {
    putName(record, name, 6);
    putU8(record, 6, static_cast<std::uint8_t>((lon < 0 ? kLongitudeWest : 0) | (typ & 0x7F)));
    putU24BE(record, 7, magnitude(lat, kLatitudeMask) | (lat < 0 ? kLatitudeSouth : 0));
    putU24BE(record, 10, magnitude(lon, kLongitudeMask));
}

void VLAPI_DATA::DCLWPT::get(ByteSpan record) {
    WPT::get(record);
    const std::uint8_t zone = getU8(record, 14);
    zonetype = getU8(record, 15);
    sectordirection = static_cast<std::int16_t>(getU8(record, 13) * 2);
    if (zonetype == 1) {
        linewidth = static_cast<std::int16_t>((zone & 15) * (zone >> 4));
        cylinderradius = 0;
        sectorradius = 0;
    } else {
        linewidth = 0;
        cylinderradius = static_cast<std::int16_t>((zone & 15) * 100);
        sectorradius = static_cast<std::int16_t>((zone >> 4) * 1000);
    }
}

void VLAPI_DATA::DCLWPT::put(MutableByteSpan record) {
    WPT::put(record);
    putU8(record, 13, sectorDirectionByte(sectordirection));
    putU8(record, 14,
          zonetype == 1 ? lineWidthZone(linewidth) : radiiZone(cylinderradius, sectorradius));
    putU8(record, 15, static_cast<std::uint8_t>(zonetype));
}

void VLAPI_DATA::ROUTE::get(ByteSpan record) {
    getName(record, name, 14);
    for (int k = 0; k < kRouteWaypoints; ++k) {
        wpt[k].get(part(record, 14 + kWaypointRecordSize * k, kWaypointRecordSize));
    }
}

void VLAPI_DATA::ROUTE::put(MutableByteSpan record) {
    putName(record, name, 14);
    for (int k = 0; k < kRouteWaypoints; ++k) {
        wpt[k].put(part(record, 14 + kWaypointRecordSize * k, kWaypointRecordSize));
    }
}

void VLAPI_DATA::PILOT::get(ByteSpan record) {
    getName(record, name, 16);
}

void VLAPI_DATA::PILOT::put(MutableByteSpan record) {
    putName(record, name, 16);
}

void VLAPI_DATA::DECLARATION::get(const DBB& dbb) {
    pilot[0] = '\0';
    for (int piece = 0; piece < 4; ++piece) {
        if (const auto data = dbb.fieldData(static_cast<std::uint8_t>(kPilot1 + piece))) {
            const std::size_t length = std::strlen(pilot);
            copyText(*data, pilot + length, sizeof pilot - length, kPilotPiece);
        }
    }
    if (const auto data = dbb.fieldData(kGliderType)) {
        copyText(*data, glidertype, sizeof glidertype, sizeof glidertype);
    }
    if (const auto data = dbb.fieldData(kGliderId)) {
        copyText(*data, gliderid, sizeof gliderid, sizeof gliderid);
    }
    if (const auto data = dbb.fieldData(kCompetitionClass)) {
        copyText(*data, competitionclass, sizeof competitionclass, sizeof competitionclass);
    }
    if (const auto data = dbb.fieldData(kCompetitionId)) {
        copyText(*data, competitionid, sizeof competitionid, sizeof competitionid);
    }
    if (const auto data = dbb.fieldData(kHomePoint); data && data->size() >= kWaypointRecordSize) {
        homepoint.get(*data);
    }
    getDeclarationWaypoint(dbb, kStartPoint, startpoint);
    getDeclarationWaypoint(dbb, kFinishPoint, finishpoint);
    if (const auto data = dbb.fieldData(kTurnpointCount); data && !data->empty()) {
        nturnpoints = (*data)[0];
    }
    for (int i = 0; i < std::min(nturnpoints, kDeclarationTurnpoints); ++i) {
        getDeclarationWaypoint(dbb, kFirstTurnpoint + i, turnpoints[i]);
    }
}

void VLAPI_DATA::DECLARATION::put(DBB& dbb) {
    const std::size_t pilotLength = upperCase(pilot, 4 * kPilotPiece);
    for (std::size_t piece = 0; piece < 4; ++piece) {
        std::uint8_t field[kPilotPiece + 1] = {};
        const std::size_t start = std::min(pilotLength, piece * kPilotPiece);
        std::memcpy(field, pilot + start, std::min(kPilotPiece, pilotLength - start));
        dbb.add_fdf(kPilot1 + static_cast<int>(piece), field);
    }
    addText(dbb, kGliderType, glidertype);
    addText(dbb, kGliderId, gliderid);
    addText(dbb, kCompetitionClass, competitionclass);
    addText(dbb, kCompetitionId, competitionid);

    std::uint8_t home[kDeclarationWaypointRecordSize] = {};
    homepoint.put(MutableByteSpan(home).first(kWaypointRecordSize));
    dbb.add_fdf(kHomePoint, home);

    const int count = std::clamp(nturnpoints, 0, kDeclarationTurnpoints);
    const std::uint8_t countByte = static_cast<std::uint8_t>(count);
    dbb.add_fdf(kTurnpointCount, ByteSpan(&countByte, 1));
    addDeclarationWaypoint(dbb, kStartPoint, startpoint);
    addDeclarationWaypoint(dbb, kFinishPoint, finishpoint);
    for (int i = 0; i < count; ++i) addDeclarationWaypoint(dbb, kFirstTurnpoint + i, turnpoints[i]);
}

}  // namespace kelvo::vl
