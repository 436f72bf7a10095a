#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "igc/FreeDistance.h"

namespace kelvo {
namespace {

constexpr int kTenHours = 10 * 3600;  // fixes, one a second
constexpr double kSpeed = 25.0;       // [m/s]
constexpr double kMetresPerDegree = 111195.0;

// Ten hours at one fix a second from the Alps north-east: on a line that bends gently, the
// hard case for bounds (every turnpoint on it scores the same), or wandering with thermals.
std::vector<TracePosition> tenHourFlight(bool straight) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double latitude = 46.0;
    double longitude = 6.0;
    double heading = 1.0;
    double turn = 0.0;
    std::vector<TracePosition> fixes;
    for (int i = 0; i < kTenHours; ++i) {
        fixes.emplace_back(Position::fromDegrees(latitude, longitude, 1500),
                           std::chrono::sys_seconds{std::chrono::seconds{i}});
        if (straight) {
            heading = 1.0 + 0.05 * std::sin(i / 900.0);
        } else {
            const double choice = unit(random);
            if (choice < 0.01) turn = (unit(random) < 0.5 ? -0.25 : 0.25);  // a thermal
            if (choice > 0.985) turn = 0.0;
            heading += turn + 0.02 * (unit(random) - 0.5) + 0.0005 * (1.0 - heading);
        }
        latitude += kSpeed * std::cos(heading) / kMetresPerDegree;
        longitude += kSpeed * std::sin(heading) /
                     (kMetresPerDegree * std::cos(latitude * std::numbers::pi / 180.0));
    }
    return fixes;
}

void freeDistance(benchmark::State& state) {
    const auto fixes = tenHourFlight(state.range(0) == 1);
    for (auto _ : state) benchmark::DoNotOptimize(FreeDistance::of(fixes));
}
BENCHMARK(freeDistance)->ArgName("straight")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo
