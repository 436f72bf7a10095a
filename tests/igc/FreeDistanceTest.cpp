#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "igc/FreeDistance.h"

namespace kelvo {
namespace {

using namespace std::chrono;

constexpr sys_seconds kTakeoff{hours{24 * 20000 + 10}};
constexpr double kMetresPerDegree = 111195.0;

std::vector<TracePosition> fixesAt(const std::vector<Position>& positions) {
    std::vector<TracePosition> fixes;
    for (const auto& position : positions)
        fixes.emplace_back(position, kTakeoff + seconds{static_cast<long>(fixes.size())});
    return fixes;
}

// Straight in latitude and longitude from one corner to the next, `steps` fixes a leg.
std::vector<Position> alongCorners(const std::vector<Position>& corners, int steps) {
    std::vector<Position> positions;
    for (std::size_t leg = 0; leg + 1 < corners.size(); ++leg) {
        for (int step = 0; step < steps; ++step) {
            const double f = static_cast<double>(step) / steps;
            const Position& a = corners[leg];
            const Position& b = corners[leg + 1];
            positions.push_back(Position::fromDegrees(
                a.latitudeDegrees() + f * (b.latitudeDegrees() - a.latitudeDegrees()),
                a.longitudeDegrees() + f * (b.longitudeDegrees() - a.longitudeDegrees()), 0));
        }
    }
    positions.push_back(corners.back());
    return positions;
}

// Every path of five fixes in time order, measured: the longest path ending at each fix,
// leg by leg, with nothing skipped.
double exhaustiveFreeDistance(const std::vector<TracePosition>& fixes) {
    std::vector<double> reach(fixes.size(), 0.0);
    for (int leg = 0; leg < 4; ++leg) {
        std::vector<double> next(fixes.size(), 0.0);
        for (std::size_t j = 0; j < fixes.size(); ++j) {
            for (std::size_t i = 0; i <= j; ++i) {
                next[j] = std::max(next[j],
                                   reach[i] + fixes[i].position().distanceTo(fixes[j].position()));
            }
        }
        reach = std::move(next);
    }
    return *std::max_element(reach.begin(), reach.end());
}

double legsOf(const FreeDistance& free, const std::vector<TracePosition>& fixes) {
    double total = 0.0;
    for (std::size_t leg = 0; leg + 1 < FreeDistance::kPoints; ++leg) {
        total += fixes[free.fixIndices[leg]].position().distanceTo(
            fixes[free.fixIndices[leg + 1]].position());
    }
    return total;
}

// Wanders with a heading that drifts, circles now and then, and sometimes turns back:
// thermals, glides and the odd out-and-return, on steps long enough to spread the
// fixes over many blocks.
std::vector<TracePosition> wanderingFlight(unsigned seed, int fixCount, double stepMetres) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    double latitude = 20.0 + 40.0 * unit(random);
    double longitude = -10.0 + 30.0 * unit(random);
    double heading = 2.0 * std::numbers::pi * unit(random);
    double turn = 0.0;
    std::vector<Position> positions;
    for (int i = 0; i < fixCount; ++i) {
        positions.push_back(Position::fromDegrees(latitude, longitude, 1000));
        const double choice = unit(random);
        if (choice < 0.05) turn = (unit(random) < 0.5 ? -1.0 : 1.0) * 0.4;  // circling
        if (choice > 0.93) turn = 0.0;
        if (choice > 0.995) heading += std::numbers::pi;  // back home
        heading += turn + 0.2 * (unit(random) - 0.5);
        latitude += stepMetres * std::cos(heading) / kMetresPerDegree;
        longitude += stepMetres * std::sin(heading) /
                     (kMetresPerDegree * std::cos(latitude * std::numbers::pi / 180.0));
    }
    return fixesAt(positions);
}

TEST(FreeDistance, FindsTheLongestPathOfAnExhaustiveSearchOnGeneratedFlights) {
    struct Case {
        unsigned seed;
        int fixes;
        double stepMetres;
    };
    // Few fixes (one block), many short steps, long steps spread over hundreds of km.
    for (const Case& c : {Case{1, 12, 500.0}, Case{2, 300, 50.0}, Case{3, 400, 400.0},
                          Case{4, 500, 1500.0}, Case{5, 350, 200.0}, Case{6, 450, 3000.0}}) {
        SCOPED_TRACE(c.seed);
        const auto fixes = wanderingFlight(c.seed, c.fixes, c.stepMetres);
        const auto free = FreeDistance::of(fixes);
        ASSERT_TRUE(free);
        EXPECT_NEAR(free->distance, exhaustiveFreeDistance(fixes), 1e-9);
        EXPECT_NEAR(free->distance, legsOf(*free, fixes), 1e-9);
        EXPECT_TRUE(std::is_sorted(free->fixIndices.begin(), free->fixIndices.end()));
    }
}

// The corners of a track with four straight legs are its only best path; a straight line or
// an out-and-return is as long with a turnpoint anywhere, so only their length is known.
TEST(FreeDistance, MeasuresFlightsWhoseAnswerIsKnownByConstruction) {
    const Position home = Position::fromDegrees(46.5, 7.5, 0);
    // Along a meridian, a geodesic, every fix of a straight line lies on it.
    const Position far = Position::fromDegrees(47.8, 7.5, 0);
    const std::vector<Position> zigZag = {
        home, Position::fromDegrees(46.9, 7.6, 0), Position::fromDegrees(46.6, 8.1, 0),
        Position::fromDegrees(47.1, 8.3, 0), Position::fromDegrees(46.7, 8.9, 0)};
    struct Case {
        const char* name;
        std::vector<Position> corners;
        int steps;
        double expected;
    };
    double zigZagLength = 0.0;
    for (std::size_t i = 0; i + 1 < zigZag.size(); ++i)
        zigZagLength += zigZag[i].distanceTo(zigZag[i + 1]);
    const std::vector<Case> cases = {
        {"straight", {home, far}, 1000, home.distanceTo(far)},
        {"out and return", {home, far, home}, 500, 2.0 * home.distanceTo(far)},
        {"zig-zag", zigZag, 500, zigZagLength},
        {"one fix", {home}, 1, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fixes = fixesAt(alongCorners(c.corners, c.steps));
        const auto free = FreeDistance::of(fixes);
        ASSERT_TRUE(free);
        EXPECT_NEAR(free->distance, c.expected, 1e-6);
    }
    const auto fixes = fixesAt(alongCorners(zigZag, 500));
    const std::array<std::size_t, 5> corners = {0, 500, 1000, 1500, 2000};
    EXPECT_EQ(FreeDistance::of(fixes)->fixIndices, corners);
    EXPECT_FALSE(FreeDistance::of({}));
}

}  // namespace
}  // namespace kelvo
