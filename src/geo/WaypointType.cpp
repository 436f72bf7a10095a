#include "geo/WaypointType.h"

namespace kelvo {

std::uint8_t lxRunwaySurfaceOfType(int type) {
    switch (type) {
        case WaypointType::kGrassAirfield:
        case WaypointType::kGlidingAirfield:
        case WaypointType::kOutlanding:
            return 'G';
        case WaypointType::kSolidAirfield:
            return 'C';
        default:
            return ' ';
    }
}

int typeOfLxRunwaySurface(std::uint8_t surface) {
    switch (surface) {
        case 'G':
        case 'g':
            return WaypointType::kGrassAirfield;
        case 'C':
        case 'c':
            return WaypointType::kSolidAirfield;
        default:
            return WaypointType::kWaypoint;
    }
}

std::uint8_t lxRunwayNumberOfDirection(int degrees) {
    if (degrees < 0 || degrees > 360) return 0;
    // The nearest runway number; the reciprocal end for headings beyond 180 (185 to 360).
    const int number = (degrees + 5) / 10;
    return static_cast<std::uint8_t>(number > 18 ? number - 18 : number);
}

int directionOfLxRunwayNumber(std::uint8_t number) {
    return number * 10;
}

}  // namespace kelvo
