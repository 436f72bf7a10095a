#include "igc/TracePosition.h"

#include <chrono>
#include <cmath>

#include "base/Text.h"

namespace kelvo {

using namespace std::chrono;

static_assert(sizeof(TracePosition) <= 32, "a long flight keeps its fixes small");

namespace {

// Fixed columns of a B record: B HHMMSS DDMMmmmN DDDMMmmmE V PPPPP GGGGG, then the
// extensions that the I record announces (not needed here).
constexpr std::size_t kTimeColumn = 1;
constexpr std::size_t kTimeWidth = 6;
constexpr std::size_t kLatitudeColumn = 7;
constexpr std::size_t kLatitudeWidth = 8;
constexpr std::size_t kLongitudeColumn = 15;
constexpr std::size_t kLongitudeWidth = 9;
constexpr std::size_t kValidityColumn = 24;
constexpr std::size_t kGnssAltitudeColumn = 30;
constexpr std::size_t kGnssAltitudeWidth = 5;
constexpr std::size_t kBRecordLength = 35;

// The value of a field of decimal digits only; nothing for any other field.
std::optional<long long> digitsValue(std::string_view field) {
    long long value = 0;
    for (const char c : field) {
        const auto digit = static_cast<unsigned>(c - '0');
        if (digit > 9) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The number of a fixed-width field: its digits in the usual case, otherwise as far as it
// reads as a number.
long long fieldNumber(std::string_view field) {
    const auto digits = digitsValue(field);
    return digits ? *digits : leadingInteger(field);
}

// The radians of a coordinate field of a B or C record (see parseCoordinate): degrees and
// thousandths of minutes (the last five digits), then the hemisphere.
double coordinateRadians(std::string_view text) {
    const std::string_view number = text.substr(0, text.size() - 1);
    const std::size_t degreeDigits = number.size() - 5;
    auto degrees = digitsValue(number.substr(0, degreeDigits));
    auto thousandths = digitsValue(number.substr(degreeDigits));
    if (!degrees || !thousandths) {
        const long long value = leadingInteger(number);
        degrees = value / 100000;
        thousandths = value % 100000;
    }
    // Multiplications by constants, since a division would take most of the time of a fix.
    constexpr double kDegreesPerThousandth = 1.0 / 60000.0;
    constexpr double kRadiansPerDegree = kPi / 180.0;
    const double magnitude =
        static_cast<double>(*degrees) + static_cast<double>(*thousandths) * kDegreesPerThousandth;
    return (text.back() == 'S' || text.back() == 'W' ? -magnitude : magnitude) * kRadiansPerDegree;
}

// Nothing for a time that no clock shows (hours past 23, minutes or seconds past 59).
std::optional<seconds> timeOfDay(std::string_view hhmmss) {
    const long long t = fieldNumber(hhmmss);
    const long long h = t / 10000;
    const long long m = (t % 10000) / 100;
    const long long s = t % 100;
    if (t < 0 || h > 23 || m > 59 || s > 59) return std::nullopt;
    return hours{h} + minutes{m} + seconds{s};
}

}  // namespace

std::optional<TracePosition> TracePosition::fromIgcBRecord(std::string_view line,
                                                           sys_seconds flightDateGMT) {
    TracePosition fix;
    fix.m_timeStamp = flightDateGMT;
    if (!fix.parseIgcBRecord(line)) return std::nullopt;
    return fix;
}

bool TracePosition::parseIgcBRecord(std::string_view line) {
    if (line.size() < kBRecordLength || line[0] != 'B') return false;
    const auto time = timeOfDay(line.substr(kTimeColumn, kTimeWidth));
    const double latitude = coordinateRadians(line.substr(kLatitudeColumn, kLatitudeWidth));
    const double longitude = coordinateRadians(line.substr(kLongitudeColumn, kLongitudeWidth));
    if (!time || std::abs(latitude) > kPi / 2 || std::abs(longitude) > kPi) return false;
    m_timeStamp = floor<days>(m_timeStamp) + *time;
    m_latitude = latitude;
    m_longitude = longitude;
    // A "V" fix is two-dimensional: its altitude columns carry nothing usable.
    m_valid = line[kValidityColumn] != 'V';
    m_elevation =
        !m_valid
            ? 0.0F
            : static_cast<float>(fieldNumber(line.substr(kGnssAltitudeColumn, kGnssAltitudeWidth)));
    return true;
}

std::optional<Coordinate> TracePosition::parseCoordinate(std::string_view text) {
    if (text.size() != kLatitudeWidth && text.size() != kLongitudeWidth) return std::nullopt;
    const double radians = coordinateRadians(text);
    if (text.size() == kLatitudeWidth) return Latitude::fromRadians(radians);
    return Longitude::fromRadians(radians);
}

double TracePosition::absoluteStraightLineSpeedFromTracePosition(const TracePosition& other) const {
    const double horizontal = position().distanceTo(other.position()) * 1000.0;
    const double vertical = double{m_elevation} - double{other.m_elevation};
    const auto elapsed = std::abs((m_timeStamp - other.m_timeStamp).count());
    return std::sqrt(horizontal * horizontal + vertical * vertical) / static_cast<double>(elapsed);
}

double TracePosition::absoluteVarioIndicationFromPosition(const TracePosition& other) const {
    const double climb = double{m_elevation} - double{other.m_elevation};
    return climb / static_cast<double>((m_timeStamp - other.m_timeStamp).count());
}

}  // namespace kelvo
