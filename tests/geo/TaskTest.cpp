#include "geo/Task.h"

#include <gtest/gtest.h>

#include "base/Beep.h"
#include "base/Log.h"
#include "geo/Route.h"
#include "geo/Turnpoint.h"

namespace kelvo {
namespace {

std::shared_ptr<Turnpoint> turnpointAt(const char* name, double longitude) {
    return std::make_shared<Turnpoint>(*Waypoint::fromDegrees(name, 0, longitude, 0));
}

std::vector<std::string> namesOf(const Task& task) {
    std::vector<std::string> names;
    for (const auto& turnpoint : task.turnpoints()) names.push_back(turnpoint->name());
    return names;
}

// Every turnpoint links to the one before it, the first to none.
void expectLinkedInOrder(const Task& task) {
    for (std::size_t i = 0; i < task.numOfTurnpoints(); ++i) {
        const auto expected = i == 0 ? nullptr : task.turnpoint(i - 1);
        EXPECT_EQ(task.turnpoint(i)->previousWaypointInRoute(), expected) << i;
    }
}

TEST(Turnpoint, TakesPositionAndAirfieldDataButNotTypeOfItsWaypoint) {
    Waypoint waypoint;
    waypoint.setValueFromDegrees("TP", 46.5, 7.5, 900);
    waypoint.setCountry("CH");
    waypoint.setType(4);
    waypoint.setRunwayLength(600);
    waypoint.setTrainingCircleDirection(45);

    const Turnpoint turnpoint(waypoint);
    EXPECT_TRUE(turnpoint.isEqualTo(waypoint));
    EXPECT_EQ(turnpoint.elevation(), 900);
    EXPECT_EQ(turnpoint.runwayLength(), 600);
    EXPECT_EQ(turnpoint.country(), "");
    EXPECT_EQ(turnpoint.type(), 0);
    EXPECT_EQ(turnpoint.trainingCircleDirection(), 0);
}

TEST(Turnpoint, CarriesEitherALineOrAZone) {
    Turnpoint turnpoint;
    turnpoint.setCylinderRadius(500);
    turnpoint.setSectorRadius(5000);
    turnpoint.setSectorDirection(360);
    EXPECT_EQ(turnpoint.getOzType(), 0);

    turnpoint.setLineWidth(500);
    EXPECT_EQ(turnpoint.getOzType(), 1);
    EXPECT_EQ(turnpoint.getLineWidth(), 180);
    EXPECT_EQ(turnpoint.getCylinderRadius(), 0);
    EXPECT_EQ(turnpoint.getSectorRadius(), 0);
    EXPECT_EQ(turnpoint.getSectorDirection(), 0);

    // Zero values change nothing but themselves.
    turnpoint.setCylinderRadius(0);
    EXPECT_EQ(turnpoint.getOzType(), 1);
    EXPECT_EQ(turnpoint.getLineWidth(), 180);

    turnpoint.setCylinderRadius(500);
    EXPECT_EQ(turnpoint.getOzType(), 0);
    EXPECT_EQ(turnpoint.getLineWidth(), 0);
    EXPECT_EQ(turnpoint.getCylinderRadius(), 500);
}

TEST(Task, UsesARouteAsNewLinkedTurnpoints) {
    auto a = Waypoint::fromDegrees("A", 0, 0, 0);
    auto b = Waypoint::fromDegrees("B", 0, 1, 0);
    auto c = Waypoint::fromDegrees("C", 0, 2, 0);
    Route route;
    route.setWaypoints({a, b, c});

    Task task;
    task.addTurnpoint(turnpointAt("OLD", 5));
    EXPECT_TRUE(task.useRoute(route));
    EXPECT_EQ(namesOf(task), (std::vector<std::string>{"A", "B", "C"}));
    expectLinkedInOrder(task);
    EXPECT_NEAR(task.turnpoint(2)->distanceInRoute(), 2 * 111.319490793, 1e-7);
    EXPECT_EQ(task.turnpoint(3), nullptr);
}

TEST(Task, RefusesARouteOfFewerThanTwoWaypoints) {
    int beeps = 0;
    setBeepHandler([&beeps] { ++beeps; });
    CapturingLogSink log;
    Task task;
    task.addTurnpoint(turnpointAt("KEEP", 0));
    Route route;
    route.addWaypoint(Waypoint::fromDegrees("ONLY", 0, 0, 0));

    EXPECT_FALSE(task.useRoute(route));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(log.contains(
        "Task:useRoute: Attempt to use Route with 1 waypoints (should be at least 2)."));
    EXPECT_EQ(namesOf(task), std::vector<std::string>{"KEEP"});
    setBeepHandler({});
}

TEST(Task, InsertionAndRemovalRelinkTheTurnpoints) {
    Task task;
    task.addTurnpoint(turnpointAt("B", 1));
    task.addTurnpoint(turnpointAt("D", 3), -1);
    task.addTurnpoint(turnpointAt("A", 0), 0);
    task.addTurnpoint(turnpointAt("C", 2), 2);
    task.addTurnpoint(turnpointAt("E", 4), 99);
    task.addTurnpoint(nullptr);
    EXPECT_EQ(namesOf(task), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    expectLinkedInOrder(task);

    std::weak_ptr<Turnpoint> removed = task.turnpoint(0);
    task.removeWaypoint(0);
    task.removeWaypoint(2);
    task.removeWaypoint(7);
    EXPECT_EQ(namesOf(task), (std::vector<std::string>{"B", "C", "E"}));
    expectLinkedInOrder(task);
    EXPECT_TRUE(removed.expired());
    EXPECT_NEAR(task.turnpoint(2)->distanceInRoute(), 3 * 111.319490793, 1e-7);
}

}  // namespace
}  // namespace kelvo
