#include "igc/TracePosition.h"

#include <chrono>
#include <cmath>

#include "base/Text.h"

namespace kelvo {

using namespace std::chrono;

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

seconds timeOfDay(std::string_view hhmmss) {
    const long long t = leadingInteger(hhmmss);
    return hours{t / 10000} + minutes{(t % 10000) / 100} + seconds{t % 100};
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
    m_timeStamp = floor<days>(m_timeStamp) + timeOfDay(line.substr(kTimeColumn, kTimeWidth));
    // Fixed widths of 8 and 9 characters always give a coordinate.
    m_position.setLatitude(*parseCoordinate(line.substr(kLatitudeColumn, kLatitudeWidth)));
    m_position.setLongitude(*parseCoordinate(line.substr(kLongitudeColumn, kLongitudeWidth)));
    // A "V" fix is two-dimensional: its altitude columns carry nothing usable.
    m_valid = line[kValidityColumn] != 'V';
    m_position.setElevation(!m_valid ? 0.0
                                     : static_cast<double>(leadingInteger(
                                           line.substr(kGnssAltitudeColumn, kGnssAltitudeWidth))));
    return true;
}

std::optional<Coordinate> TracePosition::parseCoordinate(std::string_view text) {
    if (text.size() != kLatitudeWidth && text.size() != kLongitudeWidth) return std::nullopt;
    // Degrees, then thousandths of minutes.
    const long long value = leadingInteger(text.substr(0, text.size() - 1));
    const double magnitude =
        static_cast<double>(value / 100000) + static_cast<double>(value % 100000) / 1000.0 / 60.0;
    const double degrees = text.back() == 'S' || text.back() == 'W' ? -magnitude : magnitude;
    if (text.size() == kLatitudeWidth) return Latitude::fromDegrees(degrees);
    return Longitude::fromDegrees(degrees);
}

double TracePosition::absoluteStraightLineSpeedFromTracePosition(const TracePosition& other) const {
    const double horizontal = m_position.distanceTo(other.m_position) * 1000.0;
    const double vertical = m_position.elevation() - other.m_position.elevation();
    const auto elapsed = std::abs((m_timeStamp - other.m_timeStamp).count());
    return std::sqrt(horizontal * horizontal + vertical * vertical) / static_cast<double>(elapsed);
}

double TracePosition::absoluteVarioIndicationFromPosition(const TracePosition& other) const {
    const double climb = m_position.elevation() - other.m_position.elevation();
    return climb / static_cast<double>((m_timeStamp - other.m_timeStamp).count());
}

}  // namespace kelvo
