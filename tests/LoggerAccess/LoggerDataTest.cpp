#include "LoggerAccess/LoggerData.h"

#include <gtest/gtest.h>

#include <map>

#include "LoggerAccess/FlightColumn.h"
#include "TempFolder.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

TEST(LoggerData, KeepsOneFlightBlockPerKey) {
    LoggerData data;
    data.setFlight(Bytes{1, 2, 3}, 4);
    data.setFlight(Bytes{9}, 4);
    ASSERT_NE(data.flightWithKey(4), nullptr);
    EXPECT_EQ(*data.flightWithKey(4), Bytes{9});
    EXPECT_EQ(data.flightCount(), 1u);
    EXPECT_EQ(data.flightWithKey(5), nullptr);

    TempFolder folder;
    EXPECT_TRUE(data.setFlightFromFile(folder.write("flight.lxn", "ABC"), 5));
    EXPECT_EQ(*data.flightWithKey(5), (Bytes{'A', 'B', 'C'}));
    // An unreadable file stores nothing and keeps what was there.
    EXPECT_FALSE(data.setFlightFromFile(folder.path() / "missing.lxn", 4));
    EXPECT_EQ(*data.flightWithKey(4), Bytes{9});
    EXPECT_FALSE(data.setFlightFromFile(folder.path() / "missing.lxn", 6));
    EXPECT_EQ(data.flightWithKey(6), nullptr);
}

TEST(LoggerData, SetsAndRemovesLabelsAndAnswersNothingOutsideItsLists) {
    LoggerData data;
    data.setLoggerInfoObject("5.1", "Hardware version");
    EXPECT_EQ(data.loggerInfoForKey("Hardware version"), "5.1");
    data.setLoggerInfoObject(std::nullopt, "Hardware version");
    EXPECT_EQ(data.loggerInfoForKey("Hardware version"), std::nullopt);

    FlightEntry entry;
    entry.filename = "9BAL1231.LXN";
    data.addFlightToDirectory(entry);
    data.addPilot("Anna");
    EXPECT_EQ(data.fileNameForFlightInDirectoryAtIndex(1), std::nullopt);
    EXPECT_EQ(data.pilotAtIndex(1), std::nullopt);
    EXPECT_EQ(data.routeAtIndex(0), nullptr);
    EXPECT_EQ(data.waypointAtIndex(0), nullptr);
}

TEST(LoggerData, FindsWaypointsByPlaceNotByName) {
    LoggerData data;
    data.addWaypoint(Waypoint::fromDegrees("HOME", 52.5, 6.25, 10));
    EXPECT_TRUE(data.waypointExist(*Waypoint::fromDegrees("OTHER NAME", 52.5, 6.25, 0)));
    EXPECT_FALSE(data.waypointExist(*Waypoint::fromDegrees("HOME", 52.6, 6.25, 10)));
}

TEST(LoggerData, ClearEmptiesEverythingButKeepsTheDeclaration) {
    LoggerData data;
    EXPECT_EQ(LoggerData::numberOfChildren(), 6);
    const std::shared_ptr<Declaration> declaration = data.declaration();
    ASSERT_NE(declaration, nullptr);
    declaration->setPilot1("Anna");
    data.setLoggerInfoObject("1", "Version");
    data.addFlightToDirectory(FlightEntry{});
    data.setFlight(Bytes{1}, 0);
    data.addWaypoint(Waypoint::fromDegrees("A", 1, 2, 3));
    data.addRoute(std::make_shared<Route>());
    data.addPilot("Anna");

    data.clear();
    EXPECT_TRUE(data.loggerInfo().empty());
    EXPECT_EQ(data.flightCountInDirectory(), 0u);
    EXPECT_EQ(data.flightCount(), 0u);
    EXPECT_EQ(data.waypointCount(), 0u);
    EXPECT_EQ(data.routeCount(), 0u);
    EXPECT_EQ(data.pilotCount(), 0u);
    EXPECT_EQ(data.declaration(), declaration);
    EXPECT_EQ(declaration->pilot1(), "");

    data.setDeclaration(nullptr);  // never absent
    ASSERT_NE(data.declaration(), nullptr);
    EXPECT_NE(data.declaration(), declaration);
}

// Whichever driver fills the directory, its file names name one file in the chosen folder.
TEST(LoggerData, DirectoryFileNamesAreSafeToWriteUnder) {
    const std::pair<const char*, const char*> names[] = {
        {"../../etc/passwd", "etc_passwd"},
        {"C:\\flights\\A B.IGC", "C__flights_A_B.IGC"},
        {"A\x01\n\x7f\xc3\xa9.IGC", "A_____.IGC"},
        {"._.hidden.IGC", "hidden.IGC"},
        {"..", "flight-3-2008-07-15.IGC"},
        {"", "flight-3-2008-07-15.IGC"},
        {"9A7L0013-x_1.LXN", "9A7L0013-x_1.LXN"},
    };
    FlightDirectory directory;
    for (const auto& [device, safe] : names) {
        FlightEntry entry;
        entry.number = "3";
        entry.date = utcTime(2008, 7, 15, 10, 5, 0);
        entry.filename = device;
        directory.push_back(entry);
    }
    FlightEntry withoutDate;
    withoutDate.filename = "/";
    directory.push_back(withoutDate);
    directory.push_back(FlightEntry{});
    LoggerData data;
    data.setFlightDirectory(directory);
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(data.flightDirectory()[i].filename, names[i].second) << names[i].first;
    }
    EXPECT_EQ(data.flightDirectory()[std::size(names)].filename, "flight-7.IGC");
    EXPECT_FALSE(data.flightDirectory().back().filename);
    FlightEntry longName;
    longName.filename = std::string(300, 'x');
    data.addFlightToDirectory(longName);
    EXPECT_EQ(data.flightDirectory().back().filename, std::string(200, 'x'));
}

TEST(FlightColumn, EachColumnReadsItsOwnFieldAndNothingWhenAbsent) {
    FlightEntry entry;
    entry.number = "number";
    entry.takeoff = "takeoff";
    entry.duration = "duration";
    entry.filename = "filename";
    entry.pilot = "pilot";
    entry.compid = "compid";
    entry.gliderid = "gliderid";
    const std::map<std::string, std::chrono::sys_seconds> times = {
        {"date", std::chrono::sys_seconds{1s}},
        {"firsttime", std::chrono::sys_seconds{2s}},
        {"lasttime", std::chrono::sys_seconds{3s}}};
    entry.date = times.at("date");
    entry.firsttime = times.at("firsttime");
    entry.lasttime = times.at("lasttime");
    ASSERT_EQ(FlightColumn::all().size(), 10u);
    for (const FlightColumn* column : FlightColumn::all()) {
        const auto time = times.find(column->key);
        const FlightColumn::Value expected = time == times.end()
                                                 ? FlightColumn::Value{std::string(column->key)}
                                                 : FlightColumn::Value{time->second};
        EXPECT_EQ(column->read(entry), expected) << column->key;
        EXPECT_TRUE(std::holds_alternative<std::monostate>(column->read(FlightEntry{})));
    }

    entry.number = "3";
    EXPECT_EQ(entry.key(), 3);
    entry.number = "3a";
    EXPECT_EQ(entry.key(), std::nullopt);
}

}  // namespace
}  // namespace kelvo
