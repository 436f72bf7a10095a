#include "geo/Waypoint.h"

#include <gtest/gtest.h>

#include "geo/Route.h"
#include "geo/Turnpoint.h"

namespace kelvo {
namespace {

constexpr double kEquatorDegreeKm = 111.319490793;

std::shared_ptr<Waypoint> at(const char* name, double latitude, double longitude) {
    return Waypoint::fromDegrees(name, latitude, longitude, 0);
}

using Waypoints = std::vector<std::shared_ptr<Waypoint>>;

TEST(Waypoint, TrimsNamesButDescribesWithTheUntrimmedName) {
    Waypoint waypoint;
    waypoint.setName("  ABC ");
    waypoint.setLongName("\tAbbey Field ");
    EXPECT_EQ(waypoint.name(), "ABC");
    EXPECT_EQ(waypoint.longName(), "Abbey Field");
    EXPECT_EQ(waypoint.description(), "\tAbbey Field ");
}

TEST(Waypoint, DefaultsDependOnHowItIsMade) {
    EXPECT_EQ(Waypoint().trainingCircle(), 'I');
    EXPECT_EQ(at("WP", 47.5, 8.25)->trainingCircle(), 0);
    const auto parsed = Waypoint::fromStrings("WP", "47 30.000N", "008 15.000 W", 420);
    EXPECT_EQ(parsed->trainingCircle(), 'I');
    EXPECT_DOUBLE_EQ(parsed->latitudeDegrees(), 47.5);
    EXPECT_DOUBLE_EQ(parsed->longitudeDegrees(), -8.25);

    parsed->setType(5);
    parsed->setPreviousWaypointInRoute(at("A", 47, 8));
    parsed->setValue("C", Latitude::fromDegrees(46), Longitude::fromDegrees(7), 300);
    EXPECT_EQ(parsed->previousWaypointInRoute(), nullptr);
    EXPECT_EQ(parsed->type(), 0);
}

TEST(Waypoint, IsValidOnlyWithAValidPositionAndAnAsciiName) {
    EXPECT_TRUE(at(" LSZH ", 47.46, 8.55)->isValid());
    EXPECT_FALSE(at("Z\xC3\xBCrich", 47.46, 8.55)->isValid());
    EXPECT_FALSE(at("   ", 47.46, 8.55)->isValid());
    EXPECT_FALSE(Waypoint().isValid());
    EXPECT_FALSE(at("POLE", 90.5, 0)->isValid());
}

TEST(Waypoint, CopyCarriesNavigationAttributesButNotRouteOrElevation) {
    Turnpoint source;
    source.setValueFromDegrees("TP", 46.5, 7.25, 1200);
    source.setCountry("CH");
    source.setType(3);
    source.setFrequency(122.475);
    source.setTrainingCircle('X');
    source.setTrainingCircleDirection(180);
    source.setPreviousWaypointInRoute(at("P", 46, 7));

    const std::shared_ptr<Waypoint> copy = source.copy();
    EXPECT_EQ(std::dynamic_pointer_cast<Turnpoint>(copy), nullptr);
    EXPECT_TRUE(copy->isEqualTo(source));
    EXPECT_EQ(copy->name(), "TP");
    EXPECT_EQ(copy->type(), 3);
    EXPECT_EQ(copy->frequency(), 122.475);
    EXPECT_EQ(copy->trainingCircle(), 'X');
    EXPECT_EQ(copy->country(), "");
    EXPECT_EQ(copy->elevation(), 0);
    EXPECT_EQ(copy->trainingCircleDirection(), 0);
    EXPECT_EQ(copy->previousWaypointInRoute(), nullptr);

    Waypoint unnamed;
    unnamed.setLatitudeDegrees(10);
    EXPECT_TRUE(unnamed.copy()->isEqualTo(Position()));
}

TEST(Waypoint, TakesNameAndCoordinatesOfAWaypointDroppedOntoIt) {
    auto target = Waypoint::fromDegrees("OLD", 1, 2, 55);
    EXPECT_FALSE(target->droppedWaypoint(at("NEW", 3, 4), 0));
    EXPECT_TRUE(target->droppedWaypoint(at("NEW", 3, 4), -1));
    EXPECT_EQ(target->name(), "NEW");
    EXPECT_DOUBLE_EQ(target->latitudeDegrees(), 3);
    EXPECT_EQ(target->elevation(), 55);
}

TEST(Waypoint, PredecessorLinkNeverDanglesAndLegsFollowIt) {
    auto second = at("B", 0, 1);
    {
        auto first = at("A", 0, 0);
        second->setPreviousWaypointInRoute(first);
        EXPECT_NEAR(second->distanceFromPreviousWaypoint(), kEquatorDegreeKm, 1e-8);
        EXPECT_DOUBLE_EQ(second->bearingFromPreviousWaypoint(), 90.0);
    }
    EXPECT_EQ(second->previousWaypointInRoute(), nullptr);
    EXPECT_EQ(second->distanceFromPreviousWaypoint(), 0.0);
    EXPECT_EQ(second->distanceInRoute(), 0.0);
}

TEST(Route, LengthIsTheSumOfItsLegsAndEndsInTheLastDistanceInRoute) {
    Route route;
    route.addWaypoint(nullptr);
    route.addWaypoint(at("A", 0, 0));
    EXPECT_EQ(route.getDistance(), 0.0);
    EXPECT_EQ(route.numberOfChildrenOfItem(), 1u);
    route.addWaypoint(at("B", 0, 1));
    route.addWaypoint(at("C", 1, 1));

    const Waypoints& points = route.waypoints();
    const double expected = points[0]->distanceTo(*points[1]) + points[1]->distanceTo(*points[2]);
    EXPECT_NEAR(route.getDistance(), expected, 1e-9);
    EXPECT_EQ(points[2]->distanceInRoute(), route.getDistance());
    EXPECT_EQ(points[0]->previousWaypointInRoute(), nullptr);
    EXPECT_EQ(points[2]->previousWaypointInRoute(), points[1]);
}

TEST(Route, ReorderedRouteMeasuresFromItsNewFirstWaypoint) {
    auto a = at("A", 0, 0);
    auto b = at("B", 0, 1);
    auto c = at("C", 0, 2);
    Route route;
    route.setValue(" Home ", {a, b, c});
    EXPECT_EQ(route.name(), "Home");
    route.getDistance();

    route.setWaypoints({c, b, a});
    const double length = route.getDistance();
    EXPECT_EQ(c->previousWaypointInRoute(), nullptr);
    EXPECT_EQ(a->distanceInRoute(), length);
    EXPECT_NEAR(length, 2 * kEquatorDegreeKm, 1e-7);
}

TEST(Route, OneWaypointTwiceStillMeasuresWithoutLooping) {
    auto a = at("A", 0, 0);
    auto b = at("B", 0, 1);
    Route route;
    route.setWaypoints({a, b, a, nullptr});
    EXPECT_EQ(route.numberOfChildrenOfItem(), 3u);
    EXPECT_NEAR(route.getDistance(), 2 * kEquatorDegreeKm, 1e-7);
    // a and b now point at each other; the walk stops at the repeat.
    EXPECT_NEAR(a->distanceInRoute(), kEquatorDegreeKm, 1e-7);

    route.deleteWaypoint(a);
    EXPECT_EQ(route.waypoints(), Waypoints{b});
}

TEST(Route, DropInsertsTheWaypointItselfAndRelinks) {
    auto a = at("A", 0, 0);
    auto b = at("B", 0, 1);
    auto c = at("C", 0, 2);
    Route route;
    EXPECT_TRUE(route.droppedWaypoint(c, -1));
    EXPECT_TRUE(route.droppedWaypoint(a, 0));
    EXPECT_TRUE(route.droppedWaypoint(b, 1));
    EXPECT_FALSE(route.droppedWaypoint(b, 7));
    EXPECT_FALSE(route.droppedWaypoint(nullptr, -1));
    EXPECT_EQ(route.waypoints(), (Waypoints{a, b, c}));
    EXPECT_NEAR(c->distanceInRoute(), 2 * kEquatorDegreeKm, 1e-7);
}

}  // namespace
}  // namespace kelvo
