#include <gtest/gtest.h>

#include <functional>

#include "LoggerAccess/LX/LXDatabaseCheck.h"
#include "LoggerAccess/LX/LXLogger.h"
#include "LoggerAccess/LX/LXRoute.h"
#include "LoggerAccess/LX/LXTask.h"
#include "LoggerAccess/LX/LXTurnpoint.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

std::shared_ptr<Waypoint> waypoint(const std::string& name, double latitude, double longitude) {
    return Waypoint::fromDegrees(name, latitude, longitude, 0);
}

Bytes slice(const std::array<std::uint8_t, LXTurnpoint::kSize>& record, std::size_t offset,
            std::size_t size) {
    return Bytes(record.begin() + offset, record.begin() + offset + size);
}

TEST(LXTurnpoint, StoresEveryFieldInItsUnitAndByteOrder) {
    auto source = Waypoint::fromDegrees("Gruenholz Airfield", 47.5, 8.25, 1234.9);
    source->setRunwayLength(800);
    source->setRunwayDirection(250);
    source->setType(2);
    source->setTrainingCircle('T');
    LXTurnpoint record;
    record.setWaypoint(*source);
    record.setFrequency(122.5);
    record.setTrainingCircleSize(1000);
    const auto& bytes = record.bytes();
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(slice(bytes, 1, 9), (Bytes{'G', 'r', 'u', 'e', 'n', 'h', 'o', 'l', 0}));
    EXPECT_EQ(slice(bytes, 10, 4), (Bytes{0x00, 0x00, 0x3E, 0x42}));  // 47.5f
    EXPECT_EQ(slice(bytes, 14, 4), (Bytes{0x00, 0x00, 0x04, 0x41}));  // 8.25f
    EXPECT_EQ(slice(bytes, 18, 2), (Bytes{0x04, 0xD3}));              // 1235 m, the nearest
    EXPECT_EQ(slice(bytes, 24, 2), (Bytes{0x41, 0x0A}));              // 2625 ft, the nearest
    EXPECT_EQ(bytes[26], 7);
    EXPECT_EQ(bytes[27], 'G');
    EXPECT_EQ(bytes[28], 'T');
    EXPECT_EQ(slice(bytes, 29, 2), (Bytes{0xD1, 0x0C}));  // 3281 ft

    EXPECT_FLOAT_EQ(static_cast<float>(record.frequency()), 122.5f);
    EXPECT_EQ(record.runwayLength(), 800);
    EXPECT_EQ(record.runwayDirection(), 70);
    EXPECT_EQ(record.trainingCircleSize(), 1000);
    const auto back = record.waypoint();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name(), "Gruenhol");
    EXPECT_TRUE(back->isEqualTo(*source));
    EXPECT_EQ(back->elevation(), 1235);
    EXPECT_EQ(back->runwayLength(), 800);
    EXPECT_EQ(back->type(), 2);
    EXPECT_EQ(back->trainingCircle(), 'T');
}

TEST(LXTurnpoint, ShortNamesArePaddedAndOddValuesMapToTheirCodes) {
    LXTurnpoint record;
    record.setName("Abc");
    EXPECT_EQ(slice(record.bytes(), 1, 9), (Bytes{'A', 'b', 'c', ' ', ' ', ' ', ' ', ' ', 0}));
    EXPECT_EQ(record.name(), "Abc");
    record.setName("Zürich");
    EXPECT_EQ(record.name(), "Z?rich");
    record.setRunwayLength(10000);
    EXPECT_EQ(record.runwayLength(), 0);
    record.setRunwayDirection(270);
    EXPECT_EQ(record.bytes()[26], 9);
    // The types' letters are in the table of tests/files/ImportFileTest.
}

TEST(LXTurnpoint, NameFallsBackToLongNameThenLatitude) {
    auto unnamed = Waypoint::fromDegrees("", 47.5, 8.25, 0);
    unnamed->setLongName("Long");
    LXTurnpoint record;
    record.setWaypoint(*unnamed);
    EXPECT_EQ(record.name(), "Long");
    unnamed->setLongName("");
    record.setWaypoint(*unnamed);
    EXPECT_EQ(record.name(), "47.50000");
}

TEST(LXTurnpoint, EmptyOrInvalidRecordsGiveNoWaypointAndShortBuffersStayInBounds) {
    EXPECT_FALSE(LXTurnpoint().waypoint());
    LXTurnpoint farAway;
    farAway.setName("X");
    farAway.setLatitude(95);
    EXPECT_FALSE(farAway.waypoint());
    const Bytes shortBuffer(40, 'A');
    const LXTurnpoint tail(shortBuffer, 31);
    EXPECT_EQ(tail.name(), "AAAAAAAA");
    EXPECT_EQ(tail.bytes()[8], 'A');
    EXPECT_EQ(tail.bytes()[9], 0);
    EXPECT_EQ(LXTurnpoint(shortBuffer, 400).prg(), 0);
}

TEST(LXRoute, RoundTripsThroughIndicesAndAppendsMissingPoints) {
    CapturingLogSink log;
    std::vector<std::shared_ptr<Waypoint>> list = {waypoint("A", 47, 8), waypoint("B", 46, 7)};
    Route route;
    route.addWaypoint(waypoint("B-copy", 46.00001, 7));
    route.addWaypoint(waypoint("New", 45, 6));
    LXRoute record;
    ASSERT_TRUE(record.setRoute(route, list, 600));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2]->name(), "New");
    const Bytes bytes = record.data();
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{1, 0, 2, 2}));
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), (Bytes{0, 1, 0, 2}));
    EXPECT_TRUE(log.contains("Found waypoint at index 1."));
    EXPECT_TRUE(log.contains("Found waypoint in Route that is not in the list!!"));
    EXPECT_TRUE(log.contains("Setting index to: 2 (swapped:512)."));

    const auto back = LXRoute(bytes, 0).makeRoute(list);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->waypoints().size(), 2u);
    EXPECT_EQ(back->waypoints()[0]->name(), "B");
    EXPECT_NE(back->waypoints()[0], list[1]);  // a copy
    EXPECT_EQ(back->name(), "prg: 1; ctrlpnt: 0.");
}

TEST(LXRoute, ReadingStopsAtFirstEmptyPointAndSkipsIndicesPastTheList) {
    const std::vector<std::shared_ptr<Waypoint>> list = {waypoint("A", 47, 8)};
    LXRoute record;
    record.setPrg(1);
    record.setType(2, 0);
    record.setIndex(650, 0);
    record.setType(2, 1);
    record.setIndex(0, 1);
    record.setIndex(0, 3);
    EXPECT_EQ(record.makeRoute(list)->waypoints().size(), 1u);
    record.setType(0, 1);
    EXPECT_TRUE(record.makeRoute(list)->waypoints().empty());
    record.setPrg(0);
    EXPECT_FALSE(record.makeRoute(list));
}

TEST(LXRoute, FullListRefusesPointThatIsNotInIt) {
    CapturingLogSink log;
    std::vector<std::shared_ptr<Waypoint>> list = {waypoint("A", 47, 8)};
    Route route;
    route.addWaypoint(waypoint("New", 45, 6));
    LXRoute record;
    EXPECT_FALSE(record.setRoute(route, list, 1));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(log.contains("Blimey. The logger is Full and I need to add a waypoint!"));
}

// The block the recorder holds, with one record changed in place.
void changeWaypoint(Bytes& block, std::size_t index, void (*change)(LXTurnpoint&)) {
    LXTurnpoint record(block, LXTurnpoint::kSize * index);
    change(record);
    std::copy(record.bytes().begin(), record.bytes().end(),
              block.begin() + static_cast<std::ptrdiff_t>(LXTurnpoint::kSize * index));
}

TEST(LXDatabaseCheck, NamesEachRecordTheRecorderHoldsOtherwise) {
    WaypointList waypoints = {Waypoint::fromDegrees("KLIPPENECK", 48.1075, 8.7633, 980),
                              waypoint("LOM", 48.2, 8.9), waypoint("ECK", 48.3, 8.8)};
    auto route = std::make_shared<Route>();
    route->setValue("r", waypoints);
    const Bytes written = *LXLogger::databaseBlock(waypoints, {route});
    constexpr std::size_t kRoute = 18600;
    const std::pair<std::function<void(Bytes&)>, std::string> cases[] = {
        {[](Bytes& held) { changeWaypoint(held, 0, [](LXTurnpoint& r) { r.setAltitude(0); }); },
         "Waypoint 1 \"KLIPPENE\" meant elevation 980 m, recorder holds 0 m"},
        {[](Bytes& held) {
             changeWaypoint(held, 1, [](LXTurnpoint& r) { r.setLatitude(48.201); });
         },
         "Waypoint 2 \"LOM\" meant latitude 48.20000, recorder holds 48.20100"},
        {[](Bytes& held) { changeWaypoint(held, 2, [](LXTurnpoint& r) { r.setBytes({}); }); },
         "Waypoint 3 \"ECK\" is missing"},
        {[](Bytes& held) {
             changeWaypoint(held, 3, [](LXTurnpoint& r) { r.setWaypoint(*waypoint("X", 1, 2)); });
         },
         "the recorder holds waypoint 4 \"X\", which was not written"},
        {[](Bytes& held) { held[kRoute + 2 + 2] = 0; },
         "Route 1 meant KLIPPENE, LOM, ECK; recorder holds KLIPPENE, LOM"},
        {[](Bytes& held) { held[kRoute] = 0; }, "Route 1 is missing"},
        {[](Bytes& held) { held[kRoute + 32] = 1; },
         "the recorder holds route 2, which was not written"},
    };
    EXPECT_TRUE(LXDatabaseCheck::differences(written, written).empty());
    Bytes all = written;
    for (const auto& [change, difference] : cases) {
        Bytes held = written;
        change(held);
        EXPECT_EQ(LXDatabaseCheck::differences(written, held), std::vector{difference});
        change(all);
    }
    // One line for the pilot: the first five and how many more (the missing route hides
    // its shortened points).
    const std::string summary =
        LXDatabaseCheck::summary(LXDatabaseCheck::differences(written, all));
    EXPECT_TRUE(summary.starts_with("Waypoint 1 \"KLIPPENE\" meant elevation")) << summary;
    EXPECT_TRUE(summary.ends_with("; and 1 more")) << summary;
}

std::shared_ptr<Task> taskOf(int points) {
    auto task = std::make_shared<Task>();
    for (int i = 0; i < points; ++i) {
        auto point =
            std::make_shared<Turnpoint>(*waypoint("P" + std::to_string(i), 47 + i * 0.1, 8));
        task->addTurnpoint(point, -1);
    }
    return task;
}

TEST(LXTask, StoresHomeTaskAndLandingSlotsAndReadsThemBack) {
    const auto home = waypoint("HOMEFIELD", 47.5, 8.25);
    const auto task = taskOf(4);
    LXTask record;
    record.setTask(*task, home);
    const auto& bytes = record.nativeTask();
    EXPECT_EQ(bytes[13], 2);
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.begin() + 26),
              (Bytes{3, 1, 1, 1, 1, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(getU32BE(bytes, 26), 495000u);   // home longitude
    EXPECT_EQ(getU32BE(bytes, 74), 2850000u);  // home latitude
    EXPECT_EQ(getText(bytes, 122, 9), "HOMEFIEL");
    EXPECT_EQ(bytes[122 + 8], 0);
    EXPECT_EQ(getU32BE(bytes, 26 + 5 * 4), 495000u);  // landing

    EXPECT_EQ(record.homePoint()->name(), "HOMEFIEL");
    const auto back = record.task();
    ASSERT_EQ(back->numOfTurnpoints(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(back->turnpoint(i)->name(), task->turnpoint(i)->name());
        EXPECT_TRUE(back->turnpoint(i)->isEqualTo(*task->turnpoint(i)));
    }
    EXPECT_EQ(back->turnpoint(1)->previousWaypointInRoute(), back->turnpoint(0));
    EXPECT_TRUE(record.turnpoint(5));
    EXPECT_FALSE(record.turnpoint(6));
}

TEST(LXTask, CoordinatesRoundToTheNearestThousandthOfAMinute) {
    LXTask record;
    record.setTurnpoint(*waypoint("S", -0.00001, -8.25), 3);
    EXPECT_EQ(getU32BE(record.nativeTask(), 74 + 12), 0xFFFFFFFFu);  // -0.6 units: -1
    EXPECT_EQ(static_cast<std::int32_t>(getU32BE(record.nativeTask(), 26 + 12)), -495000);
    EXPECT_EQ(record.nativeTask()[14 + 3], 1);
    record.setTurnpoint(*waypoint("X", 1, 1), 12);  // no such slot
    EXPECT_EQ(record.data(), LXTask(record.data(), 0).data());
}

TEST(LXTask, LongTaskIsCutToTenPointsAndMissingHomeUsesFirstPoint) {
    CapturingLogSink log;
    LXTask record;
    record.setTask(*taskOf(12), nullptr);
    EXPECT_TRUE(log.contains("Task has 12 points; the recorder holds 10, the rest are left out."));
    EXPECT_EQ(record.numberOfTurnpoints(), 8);
    EXPECT_EQ(record.task()->numOfTurnpoints(), 10u);
    EXPECT_EQ(record.homePoint()->name(), "P0");
    EXPECT_EQ(record.nativeTask()[14 + 11], 2);
    EXPECT_EQ(record.turnpoint(11)->name(), "P0");
}

TEST(LXTask, InputDateIsSecondsOfDayAndDayMonthYear) {
    LXTask record;
    record.setInputDate(*utcTime(2026, 12, 6, 13, 5, 9));
    EXPECT_EQ(getU32BE(record.nativeTask(), 1), 47109u);
    EXPECT_EQ(record.nativeTask()[5], 6);
    EXPECT_EQ(record.nativeTask()[6], 12);
    EXPECT_EQ(record.nativeTask()[7], 26);
    EXPECT_EQ(isoUtc(*record.inputDate()), "2026-12-06T13:05:09Z");
    record.setTaskID(0x0102);
    EXPECT_EQ(record.nativeTask()[11], 1);
    EXPECT_EQ(LXTask().inputDate(), std::nullopt);
}

TEST(LXTask, GarbageTurnpointCountNeverReadsPastTheSlots) {
    Bytes bytes(LXTask::kSize, 0);
    bytes[13] = 100;
    const LXTask record(bytes, 0);
    EXPECT_EQ(record.task()->numOfTurnpoints(), 11u);
    EXPECT_FALSE(record.turnpoint(12));
    bytes[13] = static_cast<std::uint8_t>(-5);
    EXPECT_EQ(LXTask(bytes, 0).task()->numOfTurnpoints(), 0u);
}

}  // namespace
}  // namespace kelvo
