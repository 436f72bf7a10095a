#include "files/DegreesAndMinutes.h"

#include <algorithm>
#include <cmath>

namespace kelvo {
namespace {

constexpr long long kMilliminutesPerDegree = 60000;
// Far beyond any coordinate; keeps the rounded value inside long long for garbage input.
constexpr double kLargestDegrees = 1.0e6;

}  // namespace

DegreesAndMinutes DegreesAndMinutes::of(const Coordinate& coordinate) {
    const double degrees = coordinate.doubleValue();
    if (!std::isfinite(degrees)) return {};
    const long long total =
        std::llround(std::min(std::abs(degrees), kLargestDegrees) * kMilliminutesPerDegree);
    return {total / kMilliminutesPerDegree, total % kMilliminutesPerDegree,
            degrees < 0.0 && total != 0};
}

}  // namespace kelvo
