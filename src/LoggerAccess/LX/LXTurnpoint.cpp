#include "LoggerAccess/LX/LXTurnpoint.h"

#include <algorithm>
#include <cmath>

#include "base/Format.h"
#include "base/Text.h"
#include "base/WholeNumber.h"
#include "base/Windows1252.h"
#include "geo/Waypoint.h"
#include "geo/WaypointType.h"

namespace kelvo {
namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr std::size_t kName = 1;
constexpr std::size_t kNameLength = 8;

// A foot is shorter than a metre, so whole metres survive the trip to the nearest foot and
// back to the nearest metre unchanged.
int metresOfFeet(std::int16_t feet) {
    return roundedOrZero<int>(feet * kMetresPerFoot);
}

// The nearest feet of a length in metres; 0 when they do not fit the 16-bit field.
std::int16_t feetOfMetres(double metres) {
    return roundedOrZero<std::int16_t>(metres / kMetresPerFoot);
}

// Every character without an ASCII form becomes one '?'.
std::string toAscii(std::string_view utf8) {
    std::string text = utf8ToWindows1252(utf8);
    for (char& character : text) {
        if (static_cast<unsigned char>(character) >= 0x80) character = '?';
    }
    return text;
}

std::int16_t clampToInt16(double value) {
    return static_cast<std::int16_t>(std::clamp(std::round(value), -32768.0, 32767.0));
}

}  // namespace

LXTurnpoint::LXTurnpoint(ByteSpan data, std::size_t offset) {
    if (offset < data.size()) setBytes(data.subspan(offset));
}

void LXTurnpoint::setBytes(ByteSpan data) {
    m_turnpoint.fill(0);
    std::copy_n(data.begin(), std::min(data.size(), kSize), m_turnpoint.begin());
}

std::string LXTurnpoint::name() const {
    return trimSpacesAndTabs(windows1252ToUtf8(getText(m_turnpoint, kName, kNameLength + 1)));
}

void LXTurnpoint::setName(std::string_view name) {
    putText(m_turnpoint, kName, kNameLength, toAscii(name), ' ');
    m_turnpoint[kName + kNameLength] = 0;
}

int LXTurnpoint::runwayLength() const {
    return metresOfFeet(static_cast<std::int16_t>(getU16LE(m_turnpoint, 24)));
}

void LXTurnpoint::setRunwayLength(int metres) {
    putU16LE(m_turnpoint, 24, static_cast<std::uint16_t>(feetOfMetres(metres)));
}

int LXTurnpoint::runwayDirection() const {
    return directionOfLxRunwayNumber(m_turnpoint[26]);
}

void LXTurnpoint::setRunwayDirection(int degrees) {
    m_turnpoint[26] = lxRunwayNumberOfDirection(degrees);
}

int LXTurnpoint::waypointType() const {
    return typeOfLxRunwaySurface(m_turnpoint[27]);
}

void LXTurnpoint::setWaypointType(int type) {
    m_turnpoint[27] = lxRunwaySurfaceOfType(type);
}

int LXTurnpoint::trainingCircleSize() const {
    return metresOfFeet(static_cast<std::int16_t>(getU16LE(m_turnpoint, 29)));
}

void LXTurnpoint::setTrainingCircleSize(int size) {
    putU16LE(m_turnpoint, 29, static_cast<std::uint16_t>(feetOfMetres(size)));
}

std::shared_ptr<Waypoint> LXTurnpoint::waypoint() const {
    const std::string recordName = name();
    if (recordName.empty()) return nullptr;
    auto result = Waypoint::fromDegrees(recordName, latitude(), longitude(), altitude());
    result->setRunwayLength(runwayLength());
    result->setRunwayDirection(runwayDirection());
    result->setType(waypointType());
    result->setTrainingCircle(trainingCircle());
    return result->isValid() ? result : nullptr;
}

void LXTurnpoint::setWaypoint(const Waypoint& waypoint) {
    setPrg(1);
    std::string recordName = waypoint.name();
    if (recordName.empty()) recordName = waypoint.longName();
    if (recordName.empty()) recordName = stringf("%f", waypoint.latitudeDegrees());
    setName(recordName);
    setLatitude(waypoint.latitudeDegrees());
    setLongitude(waypoint.longitudeDegrees());
    setAltitude(clampToInt16(waypoint.elevation()));
    setRunwayLength(waypoint.runwayLength());
    setRunwayDirection(waypoint.runwayDirection());
    setWaypointType(waypoint.type());
    setTrainingCircle(waypoint.trainingCircle());
}

}  // namespace kelvo
