#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {
namespace {

using std::chrono::hours;

TEST(DemoContent, FlightsLookLikeCrossCountryFlights) {
    const auto content = DemoContent::make(DemoSize::Realistic);
    ASSERT_GE(content.flights.size(), 3u);
    ASSERT_LE(content.flights.size(), 5u);
    for (const auto& flight : content.flights) {
        SCOPED_TRACE(flight.fixes.size());
        EXPECT_TRUE(flight.duration() >= hours(1) && flight.duration() <= hours(5));
        EXPECT_TRUE(flight.interval >= 1 && flight.interval <= 4);
        const auto invalid = std::count_if(flight.fixes.begin(), flight.fixes.end(),
                                           [](const DemoFix& fix) { return !fix.valid; });
        EXPECT_TRUE(invalid > 0 && invalid < 20) << invalid;
        EXPECT_GE(flight.events.size(), 2u);
        // Climbs and glides: the glider gains well over a kilometre in total.
        double climbed = 0.0;
        for (std::size_t i = 1; i < flight.fixes.size(); ++i) {
            EXPECT_EQ(flight.fixes[i].time - flight.fixes[i - 1].time,
                      std::chrono::seconds(flight.interval));
            climbed += std::max(
                0, flight.fixes[i].pressureAltitude - flight.fixes[i - 1].pressureAltitude);
        }
        EXPECT_GT(climbed, 3000.0);
        // Takes off and lands at home.
        const auto& home = *flight.task.front();
        for (const auto& fix : {flight.fixes.front(), flight.fixes.back()}) {
            EXPECT_LT(std::abs(fix.latitude - home.latitudeDegrees()), 0.02);
            EXPECT_LT(std::abs(fix.longitude - home.longitudeDegrees()), 0.03);
            EXPECT_NEAR(fix.pressureAltitude, home.elevation() - 28, 3);
        }
    }
}

TEST(DemoContent, HoldsNamedWaypointsRoutesAndADeclaration) {
    const auto content = DemoContent::make(DemoSize::Realistic);
    EXPECT_GE(content.waypoints.size(), 40u);
    std::set<std::string> names;
    for (const auto& waypoint : content.waypoints) {
        EXPECT_TRUE(waypoint->isValid()) << waypoint->name();
        names.insert(waypoint->name());
    }
    EXPECT_EQ(names.size(), content.waypoints.size());
    ASSERT_EQ(content.routes.size(), 3u);
    for (const auto& route : content.routes) {
        EXPECT_GE(route->waypoints().size(), 3u);
        for (const auto& point : route->waypoints()) EXPECT_TRUE(names.contains(point->name()));
    }
    const Declaration& declaration = *content.declaration;
    EXPECT_EQ(declaration.competitionClassDescription(), "Standard");
    ASSERT_TRUE(declaration.homePoint() && declaration.task());
    EXPECT_EQ(declaration.task()->numOfTurnpoints(), content.routes.front()->waypoints().size());
}

TEST(DemoContent, ManyFlightsEachFlyOnADayOfTheirOwn) {
    const auto content = DemoContent::make(DemoSize::Small, 9);
    ASSERT_EQ(content.flights.size(), 9u);
    std::set<std::chrono::sys_days> days;
    for (const auto& flight : content.flights) {
        days.insert(std::chrono::floor<std::chrono::days>(flight.firstFix()));
    }
    EXPECT_EQ(days.size(), 9u);
    // A later season's flight of the same task has a track of its own.
    const auto track = [](const DemoFlight& flight) {
        std::vector<double> latitudes;
        for (const auto& fix : flight.fixes) latitudes.push_back(fix.latitude);
        return latitudes;
    };
    const auto realistic = DemoContent::make(DemoSize::Realistic, 5);
    EXPECT_NE(track(realistic.flights[4]), track(realistic.flights[0]));
}

}  // namespace
}  // namespace kelvo::sim
