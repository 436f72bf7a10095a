#include "files/DA4File.h"

#include <cfloat>
#include <cmath>

#include "LoggerAccess/LoggerData.h"
#include "base/Bytes.h"
#include "base/Log.h"
#include "base/WholeNumber.h"
#include "base/Windows1252.h"
#include "files/AsciiText.h"
#include "geo/Waypoint.h"
#include "geo/WaypointType.h"

namespace kelvo {
namespace {

// Record layout.
constexpr std::size_t kPrg = 0;
constexpr std::size_t kName = 1;
constexpr std::size_t kNameLength = 8;  // then a NUL
constexpr std::size_t kLatitude = 10;
constexpr std::size_t kLongitude = 14;
constexpr std::size_t kAltitude = 18;  // [ft]
constexpr std::size_t kFrequency = 20;
constexpr std::size_t kRunwayLength = 24;
constexpr std::size_t kRunwayDirection = 26;  // runway number, tens of degrees
constexpr std::size_t kType = 27;             // runway surface letter
constexpr std::size_t kTrainingCircleDirection = 28;
constexpr std::size_t kTrainingCircleSize = 29;

constexpr double kMetresPerFoot = 0.3048;

std::int16_t getI16BE(ByteSpan record, std::size_t offset) {
    return static_cast<std::int16_t>(getU16BE(record, offset));
}

void putI16BE(MutableByteSpan record, std::size_t offset, double value) {
    putU16BE(record, offset, static_cast<std::uint16_t>(roundedOrZero<std::int16_t>(value)));
}

// NaN stays NaN, so a waypoint without position is not read back as one at 0, 0.
float floatField(double value) {
    return !std::isfinite(value) || std::abs(value) <= FLT_MAX ? static_cast<float>(value) : 0.0f;
}

// Stored as a float, the frequency gains noise in its last digits (122.8 reads as
// 122.800003); radio channels are whole kilohertz.
double frequencyFromField(float stored) {
    return std::isfinite(stored) ? std::round(stored * 1000.0) / 1000.0 : 0.0;
}

// Device names are 8-bit text; the data model's names are ASCII.
std::string nameFromField(ByteSpan record) {
    return asciiTransliteration(windows1252ToUtf8(getText(record, kName, kNameLength + 1)));
}

char printable(std::uint8_t byte) {
    return byte >= 0x20 && byte < 0x7F ? byte : '.';
}

}  // namespace

void DA4File::parseData(ByteSpan bytes, LoggerData& loggerData) {
    auto& waypoints = loggerData.waypoints();
    waypoints.clear();
    for (std::size_t offset = 0; bytes.size() - offset >= kRecordSize; offset += kRecordSize) {
        auto waypoint = makeWaypoint(bytes.subspan(offset, kRecordSize));
        if (waypoint->isValid()) waypoints.push_back(std::move(waypoint));
    }
}

std::optional<Bytes> DA4File::makeDataFromLoggerData(const LoggerData* loggerData) {
    if (loggerData == nullptr || loggerData->waypoints().empty()) return std::nullopt;
    ByteWriter writer;
    for (const auto& waypoint : loggerData->waypoints()) writer.bytes(makeRecord(*waypoint));
    return writer.take();
}

std::shared_ptr<Waypoint> DA4File::makeWaypoint(ByteSpan record) {
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setValueFromDegrees(nameFromField(record), getF32LE(record, kLatitude),
                                  getF32LE(record, kLongitude),
                                  getI16BE(record, kAltitude) * kMetresPerFoot);
    waypoint->setFrequency(frequencyFromField(getF32LE(record, kFrequency)));
    waypoint->setRunwayLength(getI16BE(record, kRunwayLength));
    waypoint->setRunwayDirection(directionOfLxRunwayNumber(getU8(record, kRunwayDirection)));
    waypoint->setType(typeOfLxRunwaySurface(getU8(record, kType)));
    waypoint->setTrainingCircleDirection(
        static_cast<std::int8_t>(getU8(record, kTrainingCircleDirection)));
    waypoint->setTrainingCircleSize(getI16BE(record, kTrainingCircleSize));
    return waypoint;
}

DA4File::Record DA4File::makeRecord(const Waypoint& waypoint) {
    Record record{};
    putU8(record, kPrg, 1);
    putText(record, kName, kNameLength, asciiTransliteration(waypoint.name()), ' ');
    putF32LE(record, kLatitude, floatField(waypoint.latitude().doubleValue()));
    putF32LE(record, kLongitude, floatField(waypoint.longitude().doubleValue()));
    putI16BE(record, kAltitude, waypoint.elevation() / kMetresPerFoot);
    putF32LE(record, kFrequency, floatField(waypoint.frequency()));
    putI16BE(record, kRunwayLength, waypoint.runwayLength());
    putU8(record, kRunwayDirection, lxRunwayNumberOfDirection(waypoint.runwayDirection()));
    putU8(record, kType, lxRunwaySurfaceOfType(waypoint.type()));
    putU8(record, kTrainingCircleDirection,
          static_cast<std::uint8_t>(
              roundedOrZero<std::int8_t>(waypoint.trainingCircleDirection())));
    putI16BE(record, kTrainingCircleSize, waypoint.trainingCircleSize());
    return record;
}

void DA4File::logWaypoint(ByteSpan record) {
    logf("prg  = 0x%x.", getU8(record, kPrg));
    logf("name = %s.", getText(record, kName, kNameLength + 1).c_str());
    logf("latitude = %f.", getF32LE(record, kLatitude));
    logf("longitude = %f.", getF32LE(record, kLongitude));
    logf("altitude = %d feet.", getI16BE(record, kAltitude));
    logf("frequency = %f MHz.", getF32LE(record, kFrequency));
    logf("runway length = %d feet.", getI16BE(record, kRunwayLength));
    logf("runway direction = %d.", getU8(record, kRunwayDirection));
    logf("runway type = %c.", printable(getU8(record, kType)));
    logf("training circle direction = %c.", printable(getU8(record, kTrainingCircleDirection)));
    logf("training circle size = %d.", getI16BE(record, kTrainingCircleSize));
}

}  // namespace kelvo
