#pragma once

#include <cstdint>

namespace kelvo {

// A waypoint's type is its CUP style, the richest of the formats; each recorder and file
// format maps it to what it can hold and back, so that a round trip keeps that much.
namespace WaypointType {
constexpr int kUnknown = 0;
constexpr int kWaypoint = 1;
constexpr int kGrassAirfield = 2;
constexpr int kOutlanding = 3;
constexpr int kGlidingAirfield = 4;
constexpr int kSolidAirfield = 5;
}  // namespace WaypointType

// LX waypoint records (the recorder's database and DA4 files) hold a runway surface letter
// where other formats hold a type: 'G' grass, 'C' concrete, a space for none. Every
// landable type gets a runway, so an outlanding comes back as a grass airfield rather than
// as a plain waypoint.
std::uint8_t lxRunwaySurfaceOfType(int type);
int typeOfLxRunwaySurface(std::uint8_t surface);

// LX waypoint records hold a runway's direction as its runway number, in tens of degrees
// from 0 to 18 (a runway serves both ways: 250 degrees is runway 07).
std::uint8_t lxRunwayNumberOfDirection(int degrees);
int directionOfLxRunwayNumber(std::uint8_t number);

}  // namespace kelvo
