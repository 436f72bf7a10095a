#include "geo/Position.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

// Degrees of a sexagesimal angle.
double dms(double degrees, double minutes, double seconds) {
    const double magnitude = std::fabs(degrees) + minutes / 60 + seconds / 3600;
    return degrees < 0 ? -magnitude : magnitude;
}

TEST(Position, VincentyMatchesTheFlindersPeakToBuninyongGeodesic) {
    const Position flindersPeak =
        Position::fromDegrees(dms(-37, 57, 3.72030), dms(144, 25, 29.52440), 0);
    const Position buninyong =
        Position::fromDegrees(dms(-37, 39, 10.15610), dms(143, 55, 35.38390), 0);
    EXPECT_NEAR(flindersPeak.distanceToUsingVincenty(buninyong), 54.972271, 1e-6);
    EXPECT_NEAR(buninyong.distanceTo(flindersPeak), 54.972271, 1e-6);
}

TEST(Position, VincentyMatchesKnownEllipsoidArcs) {
    const Position origin;
    // One degree along the equator is a / 180 * pi; a meridian quadrant of WGS-84 is
    // 10001.965729 km.
    EXPECT_NEAR(origin.distanceTo(Position::fromDegrees(0, 1, 0)), 111.319490793, 1e-8);
    EXPECT_NEAR(origin.distanceTo(Position::fromDegrees(90, 0, 0)), 10001.965729, 1e-5);
    EXPECT_NEAR(Position::fromDegrees(-90, 0, 0).distanceTo(Position::fromDegrees(90, 0, 0)),
                2 * 10001.965729, 2e-5);
}

TEST(Position, CoincidentPointsAreZeroApartAndNearAntipodesMayNotConverge) {
    const Position point = Position::fromDegrees(47.5, 8.25, 400);
    EXPECT_EQ(point.distanceTo(point), 0.0);
    EXPECT_EQ(point.distanceToUsingHaversine(point), 0.0);
    EXPECT_EQ(point.bearingFrom(point), 0.0);
    EXPECT_TRUE(std::isnan(Position().distanceTo(Position::fromDegrees(0.5, 179.7, 0))));
}

TEST(Position, HaversineUsesASphereOfRadius6378Kilometres) {
    const Position origin;
    EXPECT_NEAR(origin.distanceToUsingHaversine(Position::fromDegrees(90, 0, 0)), 6378.0 * kPi / 2,
                1e-9);
    EXPECT_NEAR(origin.distanceToUsingHaversine(Position::fromDegrees(0, 180, 0)), 6378.0 * kPi,
                1e-9);
    EXPECT_NEAR(origin.distanceToUsingHaversine(Position::fromDegrees(0, -1, 0)),
                6378.0 * kPi / 180, 1e-9);
}

TEST(Position, BearingIsClockwiseFromNorthTowardsTheReceiver) {
    const Position centre = Position::fromDegrees(10, 20, 0);
    EXPECT_DOUBLE_EQ(Position::fromDegrees(11, 20, 0).bearingFrom(centre), 0.0);
    EXPECT_DOUBLE_EQ(Position::fromDegrees(9, 20, 0).bearingFrom(centre), 180.0);
    EXPECT_DOUBLE_EQ(Position::fromDegrees(0, 1, 0).bearingFrom(Position()), 90.0);
    EXPECT_DOUBLE_EQ(Position::fromDegrees(0, -1, 0).bearingFrom(Position()), 270.0);
    // Los Angeles to New York: initial true course 1.150035 rad (65.892 degrees).
    const Position lax = Position::fromDegrees(dms(33, 57, 0), dms(-118, 24, 0), 0);
    const Position jfk = Position::fromDegrees(dms(40, 38, 0), dms(-73, 47, 0), 0);
    EXPECT_NEAR(jfk.bearingFrom(lax), 1.150035 * 180 / kPi, 1e-4);
    const double back = lax.bearingFrom(jfk);
    EXPECT_GT(back, 270.0);
    EXPECT_LT(back, 360.0);
}

TEST(Position, ComparesCoordinatesOnlyWithinAFractionOfAMillidegree) {
    const Position a = Position::fromDegrees(47.0, 8.0, 400);
    const Position b = Position::fromDegrees(47.00009, 7.99991, 2000);
    EXPECT_TRUE(a.isEqualTo(b));
    EXPECT_EQ(b.bearingFrom(a), 0.0);
    EXPECT_FALSE(a.isEqualTo(Position::fromDegrees(47.0, 8.00011, 400)));
}

TEST(Position, StoresAsGivenAndChecksRangesOnDemand) {
    Position position = Position::fromDegrees(91, 10, -5);
    EXPECT_FALSE(position.isValid());
    EXPECT_TRUE(position.isLongitudeValid());
    position.setLatitude(Latitude::fromString("45 30.000 S"));
    position.setLongitude(Coordinate::fromDegrees(-181));
    EXPECT_DOUBLE_EQ(position.latitudeDegrees(), -45.5);
    EXPECT_FALSE(position.isLongitudeValid());
    EXPECT_EQ(position.elevation(), -5);
}

}  // namespace
}  // namespace kelvo
