#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {

// What reading a typed coordinate gave: the value, or a reason that a pilot understands.
template <typename Value>
struct TypedCoordinate {
    std::optional<Value> value;
    std::string problem;  // empty when the text was read
};

// The signed degrees of a latitude (or longitude) as users type it and as the program prints
// it: degrees, minutes and seconds with or without marks (degree sign U+00B0 or U+00BA, ' or
// U+2032, " or '' or U+2033) and blanks, "48°20'30\"N", "48 20.5 N", "48.3417", "-33.5",
// "S 33 15.5"; also the file forms DDMM.mmm ("4806.450N") and packed DDMMmmm ("4806450").
// The sign is a leading "-" or "+" or one hemisphere letter of the axis before or after the
// numbers. Only the last number may have decimals (a point or a comma), minutes and seconds
// lie below 60, and the value lies within 90 (180) degrees; anything else is refused.
TypedCoordinate<double> readTypedDegrees(std::string_view text, bool latitude);

template <typename Axis>
TypedCoordinate<Axis> readTypedCoordinate(std::string_view text) {
    static_assert(std::is_same_v<Axis, Latitude> || std::is_same_v<Axis, Longitude>);
    TypedCoordinate<double> degrees = readTypedDegrees(text, std::is_same_v<Axis, Latitude>);
    if (!degrees.value) return {std::nullopt, std::move(degrees.problem)};
    return {Axis::fromDegrees(*degrees.value), {}};
}

}  // namespace kelvo
