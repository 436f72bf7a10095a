#include "igc/FlightStatistics.h"

#include <gtest/gtest.h>

#include "TriangleFlight.h"

namespace kelvo {
namespace {

using test::TriangleFlight;

TEST(FlightStatistics, MeasuresATriangleFlownAtConstantSpeedWithAClimbOfKnownRate) {
    const TriangleFlight triangle;
    const FlightStatistics statistics = FlightStatistics::of(triangle.trace());

    EXPECT_EQ(statistics.takeoff, triangle.takeoff);
    EXPECT_EQ(statistics.landing, triangle.landing);
    EXPECT_EQ(statistics.flightTime, triangle.landing - triangle.takeoff);
    EXPECT_NEAR(statistics.distanceFlown, triangle.perimeter(), triangle.perimeter() * 1e-3);
    ASSERT_TRUE(statistics.taskDistance);
    EXPECT_NEAR(*statistics.taskDistance, triangle.perimeter(), 1e-9);
    EXPECT_NEAR(statistics.greatestDistanceFromTakeoff, std::max(triangle.leg(0), triangle.leg(2)),
                0.01);

    // The lowest altitude is the landing's, below the field: the "V" fix is left out.
    EXPECT_EQ(statistics.lowestAltitude, triangle.altitude);
    EXPECT_EQ(statistics.highestAltitude, TriangleFlight::kFieldElevation + triangle.climb());
    EXPECT_EQ(statistics.altitudeGained, triangle.climb());
    EXPECT_DOUBLE_EQ(*statistics.bestClimb,
                     1.0 * TriangleFlight::kClimbPerFix / TriangleFlight::kInterval);
}

TEST(FlightStatistics, FindsNoFlightInATraceThatNeverMovedOrJumpedOnce) {
    TriangleFlight triangle;
    auto& fixes = triangle.flight.fixes;
    fixes.erase(fixes.begin() + 30, fixes.end() - 30);  // the minutes on the ground
    fixes[40].latitude += 0.05;                         // one stray fix, 5 km away
    const FlightStatistics statistics = FlightStatistics::of(triangle.trace());
    EXPECT_FALSE(statistics.takeoff);
    EXPECT_EQ(statistics.distanceFlown, 0);
    EXPECT_FALSE(statistics.highestAltitude);
    EXPECT_TRUE(statistics.taskDistance);
    EXPECT_FALSE(FlightStatistics::of(KelvoTrace()).taskDistance);
}

// Recorders write zero coordinates for a take-off or landing they do not know: the course
// still runs from the start to the finish.
TEST(FlightStatistics, MeasuresTheTaskWhoseTakeoffAndLandingAreZeroPlaceholders) {
    const TriangleFlight triangle;
    std::string igc = triangle.igcFile();
    const std::size_t firstPoint = igc.find("\nC", igc.find("\nC") + 1) + 1;
    const std::size_t lastPoint = igc.rfind("\nC") + 1;
    igc.replace(lastPoint, igc.find('\r', lastPoint) - lastPoint, "C0000000N00000000E");
    igc.replace(firstPoint, igc.find('\r', firstPoint) - firstPoint, "C0000000N00000000E");
    const FlightStatistics statistics =
        FlightStatistics::of(KelvoTrace(Bytes(igc.begin(), igc.end()), "zero.igc"));
    ASSERT_TRUE(statistics.taskDistance);
    EXPECT_NEAR(*statistics.taskDistance, triangle.perimeter(), 1e-9);
}

}  // namespace
}  // namespace kelvo
