#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "base/Format.h"
#include "geo/Latitude.h"
#include "geo/Position.h"

namespace {

constexpr int kCount = 1'000'000;

// One million texts of every form a user or a waypoint file gives.
std::vector<std::string> mixedCoordinateTexts() {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> degrees(0, 89);
    std::uniform_int_distribution<int> minutes(0, 59);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    std::vector<std::string> texts;
    texts.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        const int d = degrees(random);
        const int m = minutes(random);
        const double f = fraction(random);
        switch (i % 6) {
            case 0:
                texts.push_back(kelvo::stringf("%.6f", d + f));
                break;
            case 1:
                texts.push_back(kelvo::stringf("-%.5f", d + f));
                break;
            case 2:
                texts.push_back(kelvo::stringf("%02d%02d%03d%c", d, m, int(f * 1000), 'N'));
                break;
            case 3:
                texts.push_back(kelvo::stringf("%d %06.3f S", d, m + f));
                break;
            case 4:
                texts.push_back(kelvo::stringf("%d %02d %05.2f N", d, m, f * 60));
                break;
            default:
                texts.push_back(kelvo::stringf("  %d %02d.%03d\ts ", d, m, int(f * 1000)));
                break;
        }
    }
    return texts;
}

void BM_ParseMillionCoordinateTexts(benchmark::State& state) {
    const std::vector<std::string> texts = mixedCoordinateTexts();
    for (auto _ : state) {
        double sum = 0.0;
        for (const std::string& text : texts) sum += kelvo::Latitude::fromString(text).radians();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ParseMillionCoordinateTexts)->Unit(benchmark::kMillisecond);

void BM_MillionVincentyDistances(benchmark::State& state) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> latitude(-60.0, 60.0);
    std::uniform_real_distribution<double> longitude(-170.0, 170.0);
    std::vector<kelvo::Position> points;
    points.reserve(kCount + 1);
    for (int i = 0; i <= kCount; ++i) {
        points.push_back(kelvo::Position::fromDegrees(latitude(random), longitude(random), 0));
    }
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; i < kCount; ++i) sum += points[i].distanceToUsingVincenty(points[i + 1]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MillionVincentyDistances)->Unit(benchmark::kMillisecond);

}  // namespace
