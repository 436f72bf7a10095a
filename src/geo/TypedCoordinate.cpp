#include "geo/TypedCoordinate.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "base/Format.h"
#include "base/Text.h"

namespace kelvo {

namespace {

enum Unit { kDegrees, kMinutes, kSeconds };

struct Mark {
    std::string_view text;
    Unit unit;
};

// '' comes before ' so that two apostrophes read as a second mark.
constexpr std::array<Mark, 8> kMarks = {{{"\xC2\xB0", kDegrees},
                                         {"\xC2\xBA", kDegrees},
                                         {"''", kSeconds},
                                         {"\"", kSeconds},
                                         {"\xE2\x80\xB3", kSeconds},
                                         {"'", kMinutes},
                                         {"\xE2\x80\xB2", kMinutes},
                                         {"\xE2\x80\x99", kMinutes}}};

// A number as typed (digits with a decimal point or comma) and the unit its mark gives.
struct Part {
    std::string number;
    std::optional<Unit> unit;
};

struct Sign {
    bool negative = false;
    bool given = false;
};

// Empty when all is well, otherwise why the text is not a coordinate.
using Problem = std::string;

// What the messages call the axis and its hemispheres.
struct AxisWords {
    const char* name;
    std::string_view positive;
    std::string_view negative;
    std::string_view foreign;
    const char* letters;
    const char* sides;
    double limit;
};

constexpr AxisWords kLatitude = {"latitude", "Nn", "Ss", "EeWw", "N or S", "north or south", 90.0};
constexpr AxisWords kLongitude = {"longitude", "Ee", "Ww", "NnSs", "E or W", "east or west", 180.0};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isNumberCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == ',';
}

bool hasDecimals(const std::string& number) {
    return number.find_first_of(".,") != std::string::npos;
}

// The whole UTF-8 character at the front, so that a message can quote it.
std::string characterAt(std::string_view text) {
    std::size_t length = 1;
    while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        ++length;
    return std::string(text.substr(0, length));
}

// Takes one hemisphere letter of the axis from the front or the back of the text.
Problem takeHemisphere(std::string& text, const AxisWords& axis, Sign& sign) {
    for (const bool front : {true, false}) {
        if (text.empty()) break;
        const char letter = front ? text.front() : text.back();
        if (axis.foreign.find(letter) != std::string_view::npos)
            return stringf("%c is not a hemisphere of a %s (%s).", letter, axis.name, axis.letters);
        const bool negative = axis.negative.find(letter) != std::string_view::npos;
        if (!negative && axis.positive.find(letter) == std::string_view::npos) continue;
        if (sign.given) return "Give the hemisphere only once.";
        sign = {negative, true};
        const std::string_view rest(text);
        text = trimSpacesAndTabs(front ? rest.substr(1) : rest.substr(0, rest.size() - 1));
    }
    return {};
}

Problem takeSign(std::string& text, Sign& sign) {
    if (text.empty() || (text.front() != '-' && text.front() != '+')) return {};
    if (sign.given) return "Give either a sign or a hemisphere letter, not both.";
    sign = {text.front() == '-', true};
    text = trimSpacesAndTabs(std::string_view(text).substr(1));
    return {};
}

// Numbers, each with the unit of the mark that follows it, if any.
Problem splitIntoParts(std::string_view text, const AxisWords& axis, std::vector<Part>& parts) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::string_view rest = text.substr(at);
        if (isBlank(rest.front())) {
            ++at;
        } else if (isNumberCharacter(rest.front())) {
            std::size_t end = 1;
            while (end < rest.size() && isNumberCharacter(rest[end])) ++end;
            parts.push_back({std::string(rest.substr(0, end)), std::nullopt});
            at += end;
        } else {
            const auto* mark = std::find_if(kMarks.begin(), kMarks.end(), [rest](const Mark& m) {
                return rest.substr(0, m.text.size()) == m.text;
            });
            if (mark == kMarks.end())
                return stringf("\xE2\x80\x9C%s\xE2\x80\x9D cannot be part of a %s.",
                               characterAt(rest).c_str(), axis.name);
            if (parts.empty() || parts.back().unit)
                return stringf("\xE2\x80\x9C%s\xE2\x80\x9D must follow a number.",
                               std::string(mark->text).c_str());
            parts.back().unit = mark->unit;
            at += mark->text.size();
        }
    }
    return {};
}

std::optional<double> valueOf(std::string number) {
    std::replace(number.begin(), number.end(), ',', '.');
    if (std::count(number.begin(), number.end(), '.') > 1) return std::nullopt;
    double value = 0.0;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

// One number without a mark: decimal degrees, or one of the file forms, told apart by the
// digits before the decimal point (more than three cannot be degrees).
std::array<double, 3> fromOneNumber(const std::string& number, double value) {
    const std::size_t wholeDigits = std::min(number.find_first_of(".,"), number.size());
    if (!hasDecimals(number) && wholeDigits >= 6) {
        const double degrees = std::floor(value / 100000.0);
        return {degrees, (value - degrees * 100000.0) / 1000.0, 0.0};
    }
    if (wholeDigits >= 4) {
        const double degrees = std::floor(value / 100.0);
        return {degrees, value - degrees * 100.0, 0.0};
    }
    return {value, 0.0, 0.0};
}

// Degrees, minutes and seconds, in the order of their marks or, without marks, in this
// order.
Problem fromParts(const std::vector<Part>& parts, std::array<double, 3>& values) {
    int expected = kDegrees;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        const int unit = part.unit ? int(*part.unit) : expected;
        if (unit > kSeconds) return "There are more numbers than degrees, minutes and seconds.";
        if (unit < expected) return "Degrees, minutes and seconds are out of order.";
        if (i == 0 && unit != kDegrees) return "The degrees are missing.";
        if (i + 1 < parts.size() && hasDecimals(part.number))
            return "Only the last number may have decimals.";
        const std::optional<double> value = valueOf(part.number);
        if (!value)
            return stringf("\xE2\x80\x9C%s\xE2\x80\x9D is not a number.", part.number.c_str());
        values[std::size_t(unit)] = *value;
        expected = unit + 1;
    }
    return {};
}

Problem readMagnitude(std::string_view text, const AxisWords& axis, double& degrees) {
    std::vector<Part> parts;
    if (Problem problem = splitIntoParts(text, axis, parts); !problem.empty()) return problem;
    if (parts.empty()) return stringf("The %s has no number.", axis.name);
    std::array<double, 3> values{};
    if (parts.size() == 1 && !parts[0].unit) {
        const std::optional<double> value = valueOf(parts[0].number);
        if (!value)
            return stringf("\xE2\x80\x9C%s\xE2\x80\x9D is not a number.", parts[0].number.c_str());
        values = fromOneNumber(parts[0].number, *value);
    } else if (Problem problem = fromParts(parts, values); !problem.empty()) {
        return problem;
    }
    if (values[kMinutes] >= 60.0) return "Minutes must be below 60.";
    if (values[kSeconds] >= 60.0) return "Seconds must be below 60.";
    degrees = values[kDegrees] + values[kMinutes] / 60.0 + values[kSeconds] / 3600.0;
    if (degrees > axis.limit)
        return stringf("A %s lies within %.0f\xC2\xB0 %s.", axis.name, axis.limit, axis.sides);
    return {};
}

}  // namespace

TypedCoordinate<double> readTypedDegrees(std::string_view text, bool latitude) {
    const AxisWords& axis = latitude ? kLatitude : kLongitude;
    std::string rest = trimSpacesAndTabs(text);
    if (rest.empty())
        return {std::nullopt, stringf("Type a %s, for example %s.", axis.name,
                                      latitude ? "48\xC2\xB0"
                                                 "20'30\"N"
                                               : "011\xC2\xB0"
                                                 "30.5'E")};
    Sign sign;
    double degrees = 0.0;
    Problem problem = takeHemisphere(rest, axis, sign);
    if (problem.empty()) problem = takeSign(rest, sign);
    if (problem.empty()) problem = readMagnitude(rest, axis, degrees);
    if (!problem.empty()) return {std::nullopt, std::move(problem)};
    return {sign.negative ? -degrees : degrees, {}};
}

}  // namespace kelvo
