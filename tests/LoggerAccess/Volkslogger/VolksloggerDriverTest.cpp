#include "LoggerAccess/LoggerLimits.h"
#include "LoggerAccess/Volkslogger/VolksloggerInternals.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <optional>

#include "../TempFolder.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using Fault = sim::VolksloggerEmulator::Fault;
using vl::VLAPI_DATA;

sim::VolksloggerMemory driverMemory() {
    sim::VolksloggerMemory memory;
    sim::VolksloggerFlight flight = sim::syntheticFlight(*utcTime(2005, 7, 14, 12, 30, 0), 3725, 5);
    flight.pilot = "Erika Musterfrau";
    flight.competitionId = "EM";
    flight.takeoff = 20;
    memory.flights.push_back(flight);
    memory.flights.push_back(sim::syntheticFlight(*utcTime(2005, 7, 14, 15, 0, 0), 600, 5));
    return memory;
}

std::shared_ptr<Turnpoint> turnpoint(const std::string& name, double lat, double lon) {
    auto point = std::make_shared<Turnpoint>(*Waypoint::fromDegrees(name, lat, lon, 0));
    point->setCylinderRadius(500);
    point->setSectorRadius(3000);
    point->setSectorDirection(90);
    return point;
}

std::shared_ptr<Task> taskOf(int count) {
    auto task = std::make_shared<Task>();
    for (int i = 0; i < count; ++i)
        task->addTurnpoint(turnpoint("T" + std::to_string(i), 47 + i * 0.1, 8), -1);
    return task;
}

class VolksloggerDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // fine-grained paced uploads
        logger.setProgressHandler([this](const Progress& p) { progress.push_back(p); });
        ASSERT_TRUE(logger.connect(pty.slavePath()));
        EXPECT_EQ(logger.portDescriptor(), pty.slavePath());
    }

    void TearDown() override { EXPECT_TRUE(emulator.violations().empty()); }

    ScopedDelayScale fast{0.01};
    sim::PseudoTerminal pty;
    sim::VolksloggerEmulator emulator{pty, driverMemory()};
    VolksloggerInternals logger;
    std::vector<Progress> progress;
};

TEST_F(VolksloggerDriver, ReadsTheInformationLabels) {
    logger.readInfo();
    const LoggerInfo& info = logger.loggerData().loggerInfo();
    EXPECT_EQ(info.at("Session ID"), "42");
    EXPECT_EQ(info.at("Serial Number"), "0YA");
    EXPECT_EQ(info.at("Software Version"), "3.6 build 7");
    EXPECT_EQ(info.at("Hardware Version"), "3.3");
}

TEST_F(VolksloggerDriver, ListsTheDirectoryWithNamesAndDurations) {
    logger.readDirectory(false);
    const FlightDirectory& directory = logger.loggerData().flightDirectory();
    ASSERT_EQ(directory.size(), 2u);
    EXPECT_EQ(directory[0].filename, "57EA0YA1.IGC");
    EXPECT_EQ(directory[1].filename, "57EA0YA2.IGC");
    EXPECT_EQ(directory[0].duration, "01:02:05");
    EXPECT_EQ(directory[0].takeoff, "1");
    EXPECT_EQ(directory[1].takeoff, "0");
    EXPECT_EQ(directory[0].pilot, "Erika Musterfrau");
    EXPECT_EQ(directory[0].compid, "EM");
    EXPECT_EQ(isoUtc(*directory[0].date), "2005-07-14T12:30:00Z");
    EXPECT_EQ(isoUtc(*directory[0].lasttime), "2005-07-14T13:32:05Z");
    const std::size_t commands = emulator.commands().size();
    logger.readDirectory(false);  // answered from the copy read before
    EXPECT_EQ(emulator.commands().size(), commands);
    EXPECT_EQ(logger.loggerData().flightDirectory().size(), 2u);
}

TEST_F(VolksloggerDriver, DownloadsAFlightIntoFileAndLoggerData) {
    const TempFolder folder;
    const auto path = folder.path() / "flight.igc";
    ASSERT_TRUE(logger.readFile(path, 0, true, false, nullptr));
    const Bytes* stored = logger.loggerData().flightWithKey(0);
    ASSERT_NE(stored, nullptr);
    const std::string file = readText(path);
    EXPECT_EQ(std::string(stored->begin(), stored->end()), file);
    EXPECT_NE(file.find("HFPLTPILOT:Erika Musterfrau\r\n"), std::string::npos);
    EXPECT_NE(file.find("LGCSTKF123020TAKEOFF DETECTED\r\n"), std::string::npos);
    ASSERT_FALSE(progress.empty());
    EXPECT_GE(progress.back().bytes, emulator.lastFlightSent().size() - 41);
}

TEST_F(VolksloggerDriver, WritesTheDatabaseAndReadsItBack) {
    logger.readWaypoints(false);
    EXPECT_TRUE(logger.databaseLoaded());
    logger.loggerData().setWaypoints({Waypoint::fromDegrees("Hochkoenig", 47.42, 13.06, 2938),
                                      Waypoint::fromDegrees("Alp", -33.5, -70.25, 0)});
    auto route = std::make_shared<Route>();
    route->setValue("Dreieck rund um die Alpen",
                    {Waypoint::fromDegrees("A1", 47, 8, 0), Waypoint::fromDegrees("A2", 47.5, 8, 0),
                     Waypoint::fromDegrees("A3", 47, 8.5, 0)});
    logger.loggerData().setRoutes({route});
    auto declaration = std::make_shared<Declaration>();
    declaration->setPilot1("Erika");
    declaration->setPilot2("Musterfrau");
    declaration->setGliderID("D-KXYZW");
    declaration->setGliderType("Discus 2b");
    declaration->setCompetitionClassDescription("Standard");
    declaration->setCompetitionID("EMX");
    declaration->setHomePoint(Waypoint::fromDegrees("Home", 47.1, 8.1, 0));
    auto task = taskOf(5);
    task->turnpoint(0)->setLineWidth(40);
    declaration->setTask(task);
    logger.loggerData().setDeclaration(declaration);
    progress.clear();
    // Names longer than the recorder keeps are refused until the user asks for the cut.
    EXPECT_EQ(logger.writeDatabaseAndDeclaration().reason(),
              "1 waypoint name is longer than the 6 characters the recorder keeps; nothing was "
              "written");
    EXPECT_EQ(LoggerLimits::cutToFit(logger.loggerData(), logger.capabilities()).size(), 2u);
    ASSERT_TRUE(logger.writeDatabaseAndDeclaration());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().fraction, 1.0);

    logger.readWaypoints(true);
    ASSERT_EQ(logger.loggerData().waypoints().size(), 2u);
    EXPECT_EQ(logger.loggerData().waypoints()[0]->name(), "HOCHKO");
    EXPECT_EQ(logger.loggerData().waypoints()[1]->name(), "ALP");
    EXPECT_NEAR(logger.loggerData().waypoints()[1]->longitudeDegrees(), -70.25, 1e-4);
    logger.readRoutes(false);
    ASSERT_EQ(logger.loggerData().routes().size(), 1u);
    EXPECT_EQ(logger.loggerData().routes()[0]->name(), "DREIECK RUND U");
    ASSERT_EQ(logger.loggerData().routes()[0]->waypoints().size(), 3u);
    EXPECT_EQ(logger.loggerData().routes()[0]->waypoints()[2]->previousWaypointInRoute(),
              logger.loggerData().routes()[0]->waypoints()[1]);
    logger.readPilots(false);
    EXPECT_TRUE(logger.loggerData().pilots().empty());

    logger.readDeclaration(false);
    const Declaration& back = *logger.loggerData().declaration();
    EXPECT_EQ(back.pilot1(), "ERIKA");
    EXPECT_EQ(back.pilot2(), "MUSTERFRAU");
    EXPECT_EQ(back.gliderID(), "D-KXYZW");
    EXPECT_EQ(back.gliderType(), "DISCUS 2B");
    EXPECT_EQ(back.competitionClassDescription(), declaration->competitionClassDescription());
    EXPECT_EQ(back.competitionID(), "EMX");
    EXPECT_EQ(back.homePoint()->name(), "HOME");
    ASSERT_EQ(back.task()->numOfTurnpoints(), 5u);
    EXPECT_EQ(back.task()->turnpoint(0)->getLineWidth(), 40);  // the start line survives
    EXPECT_EQ(back.task()->turnpoint(2)->getCylinderRadius(), 500);
    EXPECT_EQ(back.task()->turnpoint(2)->getSectorRadius(), 3000);
    EXPECT_EQ(back.task()->turnpoint(2)->getSectorDirection(), 90);
    EXPECT_EQ(back.task()->turnpoint(4)->name(), "T4");
}

TEST_F(VolksloggerDriver, ErasesFlightsAndDisconnects) {
    logger.readInfo();
    logger.readDirectory(false);
    EXPECT_TRUE(logger.clearDirectory());
    EXPECT_TRUE(logger.loggerData().flightDirectory().empty());
    EXPECT_EQ(emulator.flightCount(), 0u);
    logger.disconnect();
    EXPECT_FALSE(logger.connected());
    EXPECT_FALSE(logger.directoryLoaded());
    EXPECT_FALSE(logger.api().portIsOpen());
}

TEST_F(VolksloggerDriver, FailedDirectoryReadIsLoggedAndAskedAgain) {
    CapturingLogSink log;
    emulator.setFault(Fault::RefuseCommands);
    logger.readDirectory(false);
    EXPECT_TRUE(log.contains("No Answer Error."));
    // A failed directory read is no read: the next one asks the recorder again.
    emulator.setFault(Fault::None);
    EXPECT_TRUE(logger.readDirectory(false).ok());
    EXPECT_FALSE(logger.loggerData().flightDirectory().empty());
}

// A USB adapter passes the recorder's bytes on in chunks every 16 ms; a Bluetooth link
// delays them by 20-80 ms and, with seed 21, stalls for 379 ms 2.06 s after it started,
// inside the paced transfer of the flight. Neither may cut the transfer: the flight comes
// as over a plain line. The protocol's waits are shortened no further than the link's
// delays allow; the gap allowed inside the transfer is not shortened at all.
TEST(VolksloggerSlowLink, FlightComesAsOverAPlainLine) {
    struct Row {
        sim::LinkKind link;
        std::uint64_t seed;
        bool paced;
        double delayScale;
    };
    std::optional<std::string> plain;
    for (const Row row :
         {Row{sim::LinkKind::Plain, 0, false, 0.01}, Row{sim::LinkKind::Usb, 0, false, 0.25},
          Row{sim::LinkKind::Bluetooth, 21, true, 0.25}}) {
        SCOPED_TRACE(static_cast<int>(row.link));
        const ScopedDelayScale scale{row.delayScale};
        sim::PseudoTerminal pty;
        pty.setLink(row.link, row.seed);
        pty.setPaced(row.paced);
        sim::VolksloggerMemory memory;  // a flight of about 32 kB: 3 s paced
        memory.flights.push_back(sim::syntheticFlight(*utcTime(2005, 7, 14, 10, 0, 0), 3600, 1));
        sim::VolksloggerEmulator emulator{pty, memory};
        VolksloggerInternals logger;
        ASSERT_TRUE(logger.connect(pty.slavePath()));
        const TempFolder folder;
        const auto path = folder.path() / "flight.igc";
        ASSERT_TRUE(logger.readFile(path, 0, true, false, nullptr));
        const std::string file = readText(path);
        if (!plain) plain = file;
        EXPECT_EQ(file, *plain);
        EXPECT_TRUE(emulator.violations().empty());
    }
}

TEST(VolksloggerDeclaration, StoresStartFinishAndAtMostEightTurnpoints) {
    VolksloggerInternals logger;
    const VLAPI_DATA::DECLARATION& record = logger.api().database.declaration;
    const auto storeTask = [&](int count) {
        auto declaration = std::make_shared<Declaration>();
        if (count >= 0) declaration->setTask(taskOf(count));
        logger.loggerData().setDeclaration(declaration);
        EXPECT_TRUE(logger.storeDeclaration());
    };
    storeTask(5);
    EXPECT_EQ(record.nturnpoints, 3);
    EXPECT_STREQ(record.startpoint.name, "T0    ");
    EXPECT_STREQ(record.turnpoints[2].name, "T3    ");
    EXPECT_STREQ(record.finishpoint.name, "T4    ");
    storeTask(14);
    EXPECT_EQ(record.nturnpoints, 8);
    EXPECT_STREQ(record.turnpoints[7].name, "T8    ");
    EXPECT_STREQ(record.finishpoint.name, "T13   ");
    storeTask(1);
    EXPECT_EQ(record.nturnpoints, 0);
    EXPECT_STREQ(record.startpoint.name, "T0    ");
    EXPECT_STREQ(record.finishpoint.name, "T0    ");
    storeTask(-1);  // no task at all
    EXPECT_EQ(record.nturnpoints, 0);
    EXPECT_STREQ(record.startpoint.name, "");
    EXPECT_STREQ(record.finishpoint.name, "");
}

}  // namespace
}  // namespace kelvo
