#include "igc/TracePosition.h"

#include <gtest/gtest.h>

#include "base/UtcDate.h"

namespace kelvo {
namespace {

using namespace std::chrono;

constexpr std::string_view kExampleFix = "B1101355206343N00006198WA0058700558";

sys_seconds july15th2008() {
    return *utcTime(2008, 7, 15);
}

TEST(TracePosition, RefusesOtherRecordsAndLinesShorterThanTheFixedColumns) {
    EXPECT_FALSE(
        TracePosition::fromIgcBRecord("C1101355206343N00006198WA0058700558", july15th2008()));
    for (std::size_t length = 0; length < kExampleFix.size(); ++length) {
        EXPECT_FALSE(TracePosition::fromIgcBRecord(kExampleFix.substr(0, length), july15th2008()))
            << length;
    }
}

TEST(TracePosition, ParsesLatitudesAndLongitudesByLength) {
    const auto north = TracePosition::parseCoordinate("5207054N");
    ASSERT_TRUE(north);
    EXPECT_NEAR(north->doubleValue(), 52 + 7.054 / 60, 1e-9);
    const auto west = TracePosition::parseCoordinate("00430500W");
    ASSERT_TRUE(west);
    EXPECT_NEAR(west->doubleValue(), -(4 + 30.5 / 60), 1e-9);

    EXPECT_LT(TracePosition::parseCoordinate("3352000S")->doubleValue(), 0);
    EXPECT_GT(TracePosition::parseCoordinate("3352000s")->doubleValue(), 0);  // upper case only
    // 95 degrees is a valid longitude but no latitude.
    EXPECT_TRUE(TracePosition::parseCoordinate("09500000E")->isValid());
    EXPECT_FALSE(TracePosition::parseCoordinate("9500000N")->isValid());
    EXPECT_FALSE(TracePosition::parseCoordinate("520705N"));
    EXPECT_FALSE(TracePosition::parseCoordinate("0043050000W"));
}

TEST(TracePosition, SpeedAndClimbAreTheSameWhicheverFixAsks) {
    const auto at = [](double latitude, double elevation, int second) {
        return TracePosition(Position::fromDegrees(latitude, -0.1, elevation),
                             july15th2008() + seconds{second});
    };
    const TracePosition low = at(52.1, 100, 0);
    const TracePosition high = at(52.1, 120, 10);
    EXPECT_DOUBLE_EQ(high.absoluteStraightLineSpeedFromTracePosition(low), 2.0);
    EXPECT_DOUBLE_EQ(low.absoluteStraightLineSpeedFromTracePosition(high), 2.0);
    EXPECT_DOUBLE_EQ(high.absoluteVarioIndicationFromPosition(low), 2.0);
    EXPECT_DOUBLE_EQ(low.absoluteVarioIndicationFromPosition(high), 2.0);
    EXPECT_DOUBLE_EQ(at(52.1, 90, 20).absoluteVarioIndicationFromPosition(high), -3.0);
    // Kilometres of distance become metres: 0.01 degree of latitude is about 1113 m.
    EXPECT_NEAR(at(52.11, 100, 40).absoluteStraightLineSpeedFromTracePosition(low), 1113.0 / 40,
                0.2);
}

}  // namespace
}  // namespace kelvo
