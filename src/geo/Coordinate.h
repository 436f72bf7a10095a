#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

inline constexpr double kPi = 3.141592653589793;

// One angle, a latitude or a longitude, in radians (south and west negative), zero by
// default. A plain Coordinate knows no hemisphere: it is never valid and cannot print
// itself; Latitude and Longitude give it one. Copies keep their kind (a Latitude assigned
// to a Coordinate still checks and prints as a latitude); copy() makes a plain one.
class Coordinate {
  public:
    Coordinate() = default;

    static Coordinate fromDegrees(double degrees);
    static Coordinate fromRadians(double radians);
    static Coordinate fromString(std::string_view text);
    // The radians of a text parsed as a plain coordinate (no validity test).
    static double stringToRadians(std::string_view text);

    // Every setter answers isValid() after storing.
    bool setValueFromDouble(double degrees);
    // The sign comes from the degrees alone.
    bool setValue(int degrees, int minutes, double seconds);
    // The lenient reading of coordinate texts in files: decimal degrees "52.1176", packed
    // "5207054" (DDDMMmmm), "52 07.054" or "52 07 03.25", each with a leading "-" or a
    // trailing hemisphere letter (N/E/S/W, either case). Empty or blank text gives 0; four
    // or more components give 0, unreadable numbers 0. Typed text goes through the strict
    // readTypedCoordinate (geo/TypedCoordinate.h) instead.
    bool setValueFromString(std::string_view text);

    double radians() const { return m_radians; }
    double doubleValue() const;  // degrees, signed
    bool isNegative() const { return m_radians < 0.0; }
    // The magnitude split into whole degrees, whole minutes and seconds (truncated).
    std::int32_t degrees() const;
    std::int32_t minutes() const;
    double seconds() const;

    bool isValid() const;
    // Equal within 0.0001 degree.
    bool isEqualTo(const Coordinate& other) const;
    Coordinate copy() const;

    // The three notations; signPrefix shows a leading "-" for negative values, otherwise
    // a trailing hemisphere letter. Printed numbers are magnitudes, rounded to the printed
    // precision before they are split, so a value never shows 60 seconds or 60 minutes.
    std::string descriptionWithDecimalSeconds(bool signPrefix) const;
    std::string descriptionWithDecimalMinutes(bool signPrefix) const;
    std::string descriptionWithDecimalDegrees(bool signPrefix) const;
    std::string description() const { return descriptionWithDecimalSeconds(false); }

  protected:
    enum class Axis : std::uint8_t { none, latitude, longitude };
    Coordinate(Axis axis, double radians) : m_radians(radians), m_axis(axis) {}

  private:
    const char* sign() const;
    const char* hemisphereLetter() const;

    double m_radians = 0.0;
    Axis m_axis = Axis::none;
};

}  // namespace kelvo
