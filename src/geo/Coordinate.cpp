#include "geo/Coordinate.h"

#include <cmath>
#include <limits>
#include <vector>

#include "base/Format.h"
#include "base/Text.h"

namespace kelvo {

namespace {

constexpr const char* kDegreeMark = "\xC2\xB0";  // the degree sign
constexpr const char* kNoHemisphere = "Use Latitude or Longitude.";

// Truncates toward zero; values beyond the 32-bit range saturate and NaN gives 0, so a
// parsed "inf" or a huge packed number cannot overflow the conversion.
std::int32_t truncatedToInt32(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (value >= kMax) return std::numeric_limits<std::int32_t>::max();
    if (value <= -kMax) return -std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

// The magnitude that the notations print. A NaN or absurdly large angle (never valid
// anyway) is bounded so that splitting it stays within integer range.
double printableMagnitude(double degrees) {
    if (std::isnan(degrees)) return 0.0;
    return std::fmin(std::fabs(degrees), 1e9);
}

// A magnitude rounded to whole units of 1/unitsPerDegree degree and split into degrees and
// the remaining units, so that the carry of rounding reaches the degrees.
struct RoundedSplit {
    std::int32_t degrees;
    double remainderUnits;
};

RoundedSplit roundedSplit(double magnitude, double unitsPerDegree) {
    const double units = std::round(magnitude * unitsPerDegree);
    const double wholeDegrees = std::floor(units / unitsPerDegree);
    return {truncatedToInt32(wholeDegrees), units - wholeDegrees * unitsPerDegree};
}

// Decimal degrees of a hemisphere letter (or "-") and its one to three components.
double degreesOfComponents(const std::vector<std::string>& components) {
    switch (components.size()) {
        case 1: {
            const std::string& only = components[0];
            if (only.find('.') != std::string::npos) return leadingDouble(only);
            // Packed degrees and minutes: DDMMmmm, the last five digits minutes x 1000.
            const long long packed = leadingInteger(only);
            return static_cast<double>(packed / 100000) +
                   static_cast<double>(packed % 100000) / 1000.0 / 60.0;
        }
        case 2:
            return static_cast<double>(leadingInteger(components[0])) +
                   leadingDouble(components[1]) / 60.0;
        case 3:
            return static_cast<double>(leadingInteger(components[0])) +
                   static_cast<double>(leadingInteger(components[1])) / 60.0 +
                   leadingDouble(components[2]) / 3600.0;
        default:
            return 0.0;
    }
}

double parseRadians(std::string_view text) {
    std::string rest = trimSpacesAndTabs(text);
    if (rest.empty()) return 0.0;

    bool negative = false;
    const std::string_view positiveLetters = "ENen";
    const std::string_view negativeLetters = "SWsw";
    const bool hasLetter = positiveLetters.find(rest.back()) != std::string_view::npos ||
                           negativeLetters.find(rest.back()) != std::string_view::npos;
    if (hasLetter) {
        negative = negativeLetters.find(rest.back()) != std::string_view::npos;
        rest = trimSpacesAndTabs(std::string_view(rest).substr(0, rest.size() - 1));
    }
    // With a letter the sign is the letter's alone; a stray "-" must not flip the degrees.
    if (!rest.empty() && rest.front() == '-') {
        if (!hasLetter) negative = true;
        rest = trimSpacesAndTabs(std::string_view(rest).substr(1));
    }

    std::vector<std::string> components = splitAt(rest, ' ');
    while (!components.empty() && components.back().empty()) components.pop_back();

    const double radians = degreesOfComponents(components) * kPi / 180.0;
    return negative ? -radians : radians;
}

}  // namespace

Coordinate Coordinate::fromDegrees(double degrees) {
    Coordinate value;
    value.setValueFromDouble(degrees);
    return value;
}

Coordinate Coordinate::fromRadians(double radians) {
    return Coordinate(Axis::none, radians);
}

Coordinate Coordinate::fromString(std::string_view text) {
    Coordinate value;
    value.setValueFromString(text);
    return value;
}

double Coordinate::stringToRadians(std::string_view text) {
    return parseRadians(text);
}

bool Coordinate::setValueFromDouble(double degrees) {
    m_radians = kPi * degrees / 180.0;
    return isValid();
}

bool Coordinate::setValue(int degrees, int minutes, double seconds) {
    const double magnitude =
        std::fabs(static_cast<double>(degrees)) + minutes / 60.0 + seconds / 3600.0;
    m_radians = magnitude * kPi / 180.0;
    if (degrees < 0) m_radians = -m_radians;
    return isValid();
}

bool Coordinate::setValueFromString(std::string_view text) {
    m_radians = parseRadians(text);
    return isValid();
}

double Coordinate::doubleValue() const {
    return m_radians * 180.0 / kPi;
}

std::int32_t Coordinate::degrees() const {
    return truncatedToInt32(std::fabs(doubleValue()));
}

std::int32_t Coordinate::minutes() const {
    return truncatedToInt32((std::fabs(doubleValue()) - degrees()) * 60.0);
}

double Coordinate::seconds() const {
    const double value = (std::fabs(doubleValue()) - degrees()) * 3600.0 - minutes() * 60.0;
    return std::fabs(value) < 0.00001 ? 0.0 : value;
}

bool Coordinate::isValid() const {
    const double value = doubleValue();
    switch (m_axis) {
        case Axis::latitude:
            return value >= -90.0 && value <= 90.0;
        case Axis::longitude:
            return value >= -180.0 && value <= 180.0;
        case Axis::none:
            break;
    }
    return false;
}

bool Coordinate::isEqualTo(const Coordinate& other) const {
    return std::fabs(doubleValue() - other.doubleValue()) < 0.0001;
}

Coordinate Coordinate::copy() const {
    return fromDegrees(doubleValue());
}

const char* Coordinate::sign() const {
    return isNegative() ? "-" : "";
}

const char* Coordinate::hemisphereLetter() const {
    if (m_axis == Axis::latitude) return isNegative() ? "S" : "N";
    return isNegative() ? "W" : "E";
}

std::string Coordinate::descriptionWithDecimalSeconds(bool signPrefix) const {
    if (m_axis == Axis::none) return kNoHemisphere;
    const RoundedSplit split = roundedSplit(printableMagnitude(doubleValue()), 360000.0);
    const auto minutes = static_cast<int>(split.remainderUnits / 6000.0);
    const double seconds = (split.remainderUnits - minutes * 6000.0) / 100.0;
    const char* pad = seconds < 10.0 ? "0" : "";
    const bool latitude = m_axis == Axis::latitude;
    if (signPrefix) {
        return stringf(latitude ? "%s%02d%s %02d' %s%4.2f\"" : "%s%03d%s %02d' %s%4.2f\"", sign(),
                       split.degrees, kDegreeMark, minutes, pad, seconds);
    }
    return stringf(latitude ? "%02d%s %02d' %s%4.2f\"%s" : "%03d%s %02d' %s%4.2f\"%s",
                   split.degrees, kDegreeMark, minutes, pad, seconds, hemisphereLetter());
}

std::string Coordinate::descriptionWithDecimalMinutes(bool signPrefix) const {
    if (m_axis == Axis::none) return kNoHemisphere;
    const RoundedSplit split = roundedSplit(printableMagnitude(doubleValue()), 60000.0);
    const double minutes = split.remainderUnits / 1000.0;
    const char* pad = minutes < 10.0 ? "0" : "";
    const bool latitude = m_axis == Axis::latitude;
    if (signPrefix) {
        return stringf(latitude ? "%s%02d%s %s%4.3f'" : "%s%03d%s %s%4.3f'", sign(), split.degrees,
                       kDegreeMark, pad, minutes);
    }
    return stringf(latitude ? "%02d%s %s%4.3f'%s" : "%03d%s %s%4.3f'%s", split.degrees, kDegreeMark,
                   pad, minutes, hemisphereLetter());
}

std::string Coordinate::descriptionWithDecimalDegrees(bool signPrefix) const {
    if (m_axis == Axis::none) return kNoHemisphere;
    const double magnitude = std::round(printableMagnitude(doubleValue()) * 1e6) / 1e6;
    const char* padBelow10 = magnitude < 10.0 ? "0" : "";
    if (m_axis == Axis::latitude) {
        if (signPrefix) return stringf("%s%s%4.6f%s", sign(), padBelow10, magnitude, kDegreeMark);
        return stringf("%s%4.6f%s%s", padBelow10, magnitude, kDegreeMark, hemisphereLetter());
    }
    const char* padBelow100 = magnitude < 100.0 ? "0" : "";
    if (signPrefix) {
        return stringf("%s%s%s%4.6f%s", sign(), padBelow100, padBelow10, magnitude, kDegreeMark);
    }
    return stringf("%s%s%4.6f%s%s", padBelow100, padBelow10, magnitude, kDegreeMark,
                   hemisphereLetter());
}

}  // namespace kelvo
