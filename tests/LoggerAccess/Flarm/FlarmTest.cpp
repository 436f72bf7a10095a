#include "LoggerAccess/Flarm/Flarm.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "LoggerAccess/DeclarationFit.h"
#include "LoggerAccess/LoggerLimits.h"
#include "LoggerAccess/Flarm/FlarmDeclaration.h"
#include "igc/IGCTaskRecord.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "../TempFolder.h"
#include "FlarmTestDevice.h"
#include "LoggerAccess/LoggerDetector.h"
#include "LoggerAccess/LoggerFactory.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

class FlarmDriver : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(flarm.connect(terminal.slavePath())); }

    std::vector<std::string> directoryNames() {
        std::vector<std::string> names;
        for (const FlightEntry& entry : flarm.loggerData().flightDirectory()) {
            names.push_back(entry.number.value_or("?") + " " + entry.filename.value_or("?"));
        }
        return names;
    }

    ScopedDelayScale fast{0.05};
    sim::PseudoTerminal terminal;
    sim::FlarmEmulator device{terminal, test::flarmTestDevice()};
    Flarm flarm;
};

TEST_F(FlarmDriver, ReadsInfoUnderItsSixLabels) {
    flarm.readInfo();
    const LoggerInfo expected{{"Hardware version", "LC1"},        {"Software version", "6.42"},
                              {"Obstacle Database", "Alps 2026"}, {"Version", "4711"},
                              {"AicraftType", "Glider"},          {"PilotName", "Test Pilot"}};
    EXPECT_EQ(flarm.loggerData().loggerInfo(), expected);
}

TEST_F(FlarmDriver, ReadsDeclarationFieldsAndLeavesTheOthers) {
    flarm.loggerData().declaration()->setPilot2("Co Pilot");
    flarm.readDeclaration(true);
    const Declaration& declaration = *flarm.loggerData().declaration();
    EXPECT_EQ(declaration.pilot1(), "Test Pilot");
    EXPECT_EQ(declaration.pilot2(), "Co Pilot");
    EXPECT_EQ(declaration.competitionClass(), 2);
    EXPECT_EQ(declaration.gliderID(), "D-1234");
    EXPECT_EQ(declaration.competitionID(), "K5");
    EXPECT_EQ(declaration.gliderType(), "ASW 24");
}

TEST_F(FlarmDriver, ListsFlightsSkippingMalformedRecord) {
    CapturingLogSink log;
    flarm.readDirectory(false);
    flarm.readDirectory(true);
    ASSERT_EQ(directoryNames(),
              (std::vector<std::string>{"0 87FX0011.IGC", "2 87HX0013.IGC", "3 87JX0014.IGC"}));
    EXPECT_TRUE(log.contains("Record contained less than 4 fields."));
    EXPECT_TRUE(log.contains("Record: 87GX0012.IGC|2008-07-16"));

    const FlightEntry& first = flarm.loggerData().flightDirectory()[0];
    EXPECT_EQ(isoUtc(*first.date), "2008-07-15T10:05:00Z");
    EXPECT_EQ(first.firsttime, first.date);
    EXPECT_EQ(isoUtc(*first.lasttime), "2008-07-15T12:35:15Z");
    EXPECT_EQ(first.duration, "02:30:15");
    EXPECT_EQ(first.pilot, "Test Pilot");
    EXPECT_EQ(first.gliderid, "D-1234");
    EXPECT_EQ(flarm.loggerData().flightDirectory()[2].pilot, "");
    EXPECT_FALSE(device.inBinaryMode());
}

TEST_F(FlarmDriver, DownloadsFlightThroughLineNoiseAndReportsProgress) {
    TempFolder folder;
    device.setNoiseBeforeFrames(true);
    std::vector<Progress> reports;
    flarm.setProgressHandler([&](const Progress& progress) { reports.push_back(progress); });
    const auto path = folder.path() / "87FX0011.IGC";
    ASSERT_TRUE(flarm.readFile(path, 0, true, true, nullptr));
    EXPECT_EQ(readText(path), test::flarmIgc(0));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().fraction, 1.0);
    EXPECT_EQ(reports.back().bytes, test::flarmIgc(0).size());
    EXPECT_FALSE(device.inBinaryMode());
}

TEST_F(FlarmDriver, DeviceFaultsEndOperationsWithTheirReasons) {
    device.setRefusedRecord(2);
    flarm.readDirectory(true);
    EXPECT_EQ(directoryNames(), (std::vector<std::string>{"0 87FX0011.IGC"}));

    // The bounds are the fault matrix's; here the reasons a pilot reads.
    device.setRefusedRecord(-1);
    device.setSilent(true);
    EXPECT_EQ(flarm.readDirectory(true).reason(), "the Flarm did not enter its binary mode");
    EXPECT_EQ(flarm.readInfo().reason(),
              "no answer from the Flarm to the question for its Hardware version");
    EXPECT_TRUE(flarm.loggerData().flightDirectory().empty());
}

TEST_F(FlarmDriver, RefusesWritesAndDisconnectsToConnectAgain) {
    CapturingLogSink log;
    EXPECT_FALSE(flarm.clearDirectory());
    EXPECT_TRUE(log.contains("Clear directory not supported in Flarm devices."));
    EXPECT_FALSE(flarm.writeDatabaseAndDeclaration());
    flarm.readWaypoints(false);
    EXPECT_TRUE(log.contains("Calling abstract method 'readWaypoints' in Logger class."));

    flarm.disconnect();
    EXPECT_FALSE(flarm.stillConnected());
    EXPECT_TRUE(log.contains("shutting down...\r"));
    ASSERT_TRUE(flarm.connect(terminal.slavePath()));
    EXPECT_TRUE(flarm.stillConnected());
}

// Budget and names: what a FLARM keeps of a declaration.
TEST(FlarmDeclarationText, CoordinatesRoundToThousandthsOfAMinuteAndCarry) {
    const std::tuple<double, std::string, std::string> cases[] = {
        {48.1075, "4806450N", "04806450E"},
        {-33.5, "3330000S", "03330000W"},
        {8.9999993, "0900000N", "00900000E"},  // 59.99996 minutes carry into the degree
        {0.0000083, "0000000N", "00000000E"},
        {0.0000084, "0000001N", "00000001E"}};
    for (const auto& [degrees, latitude, longitude] : cases) {
        EXPECT_EQ(IGCTaskRecord::latitude(degrees), latitude) << degrees;
        EXPECT_EQ(IGCTaskRecord::longitude(degrees), longitude) << degrees;
    }
    const auto point = IGCTaskRecord::pointOf("C4806450N00845798EKLIPPENECK");
    ASSERT_TRUE(point);
    EXPECT_EQ(point->name(), "KLIPPENECK");
    EXPECT_NEAR(point->latitudeDegrees(), 48.1075, 1e-9);
    EXPECT_NEAR(point->longitudeDegrees(), 8.7633, 1e-6);
    EXPECT_FALSE(IGCTaskRecord::pointOf("C0701261200000000000000001Task"));
    EXPECT_FALSE(IGCTaskRecord::pointOf("C9106450N00845798EX"));
}

TEST(FlarmDeclarationText, NamesAreShortenedOnlyAsFarAsTheBudgetNeeds) {
    using Names = std::vector<std::string>;
    const std::tuple<Names, std::size_t, Names> cases[] = {
        {{"Klippeneck", "Hohenzollern"}, 22, {"Klippeneck", "Hohenzollern"}},
        {{"Klippeneck", "Hohenzollern", "Ulm"}, 20, {"Klippene", "Hohenzol", "Ulm"}},
        {{"Hohenzollern Burg", "Hohenzollern Bahn", "Hohenzollern Burg", "Ulm"},
         25,
         {"Hohenz1", "Hohenz2", "Hohenz1", "Ulm"}},
        {{"Alpha", "Beta"}, 1, {"A", "B"}}};
    for (const auto& [names, budget, expected] : cases) {
        EXPECT_EQ(DeclarationFit::shortened(names, budget), expected) << budget;
    }
    EXPECT_EQ(DeclarationFit::cleaned(" Zürich*$!\\^~\t Süd "), "Zurich Sud");
}

TEST(FlarmDeclarationText, ItemsComeInTheUnitsOrderWithinItsBudget) {
    Declaration declaration;
    declaration.setPilot1("Ann");
    declaration.setCompetitionClassDescription("Standard");
    auto task = std::make_shared<Task>();
    for (int i = 0; i < 10; ++i) {
        auto point = Waypoint::fromDegrees("Turnpoint with a long name " + std::to_string(i),
                                           48 + i * 0.1, 9, 0);
        task->addTurnpoint(std::make_shared<Turnpoint>(*point));
    }
    declaration.setTask(task);
    DeclarationFit::apply(declaration, FlarmDeclaration::limits());
    const auto items = FlarmDeclaration::items(declaration);
    std::vector<std::string> names;
    std::size_t taskBytes = 0;
    for (const auto& item : items) {
        names.push_back(item.name);
        if (item.name == "NEWTASK") taskBytes += 7 + item.value.size();
        if (item.name == "ADDWP") taskBytes += 9 + item.value.size() - 19;
    }
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 8),
              (std::vector<std::string>{"PILOT", "COPIL", "GLIDERID", "GLIDERTYPE", "COMPID",
                                        "COMPCLASS", "NEWTASK", "ADDWP"}));
    EXPECT_EQ(items.size(), 6u + 1 + 12);
    EXPECT_EQ(items[5].value, "Standard");
    EXPECT_EQ(items[7].value, "0000000N,00000000E,TAKEOFF");
    EXPECT_LE(taskBytes, 192u);
    EXPECT_GT(taskBytes, 192u - 10);
    EXPECT_EQ(items[8].value, "4800000N,00900000E,Turn1");
    EXPECT_EQ(items[17].value, "4854000N,00900000E,Turn10");

    declaration.setTask(std::make_shared<Task>());
    EXPECT_EQ(FlarmDeclaration::items(declaration).back(), (FlarmDeclaration::Item{"NEWTASK", ""}));
}

// Save to Logger lists what the unit will keep otherwise before anything is written.
TEST(FlarmDeclarationText, ChangesAreListedBeforeTheWrite) {
    LoggerData data;
    Declaration& declaration = *data.declaration();
    declaration.setPilot1("Jürgen");
    declaration.setHomePoint(Waypoint::fromDegrees("HOME", 48, 9, 0));
    auto task = std::make_shared<Task>();
    for (int i = 0; i < 10; ++i) {
        task->addTurnpoint(std::make_shared<Turnpoint>(
            *Waypoint::fromDegrees(i == 1 ? "Hohenzollern Burg Hechingen Zollernalb" : "TP" + std::to_string(i),
                                   48, 9, 0)));
    }
    declaration.setTask(task);
    EXPECT_EQ(LoggerLimits::declarationChanges(data, FlarmDeclaration::limits()),
              (std::vector<std::string>{
                  "the recorder keeps no home point; \"HOME\" is dropped",
                  "Pilot 1 \"Jürgen\" is written as \"Jurgen\"",
                  "task point 2 \"Hohenzollern Burg Hechingen Zollernalb\" is written as "
                  "\"Hohenzollern Burg Hechingen Zoll\""}));
    EXPECT_EQ(task->turnpoint(1)->name(), "Hohenzollern Burg Hechingen Zollernalb");
}

// Write and verify: a declaration goes out item by item, each echoed, and is read back.
class FlarmDeclarationWrite : public FlarmDriver {
  protected:
    Outcome write(const std::string& pilot = "Jürgen Müller") {
        if (Outcome read = flarm.readDeclaration(false); !read) return read;
        Declaration& declaration = *flarm.loggerData().declaration();
        declaration.setPilot1(pilot);
        declaration.setPilot2("Anna Keller");
        auto task = std::make_shared<Task>();
        for (const auto& [name, lat, lon] : {std::tuple{"Klippeneck", 48.1075, 8.7633},
                                             std::tuple{"Hohenzollern", 48.3231, 8.9675},
                                             std::tuple{"Klippeneck", 48.1075, 8.7633}}) {
            task->addTurnpoint(std::make_shared<Turnpoint>(*Waypoint::fromDegrees(name, lat, lon, 0)));
        }
        declaration.setTask(task);
        return flarm.writeDatabaseAndDeclaration();
    }
};

TEST_F(FlarmDeclarationWrite, WritesRestartsAndVerifiesByReadBack) {
    ASSERT_TRUE(write()) << write().reason();
    EXPECT_EQ(device.restarts(), 1);
    EXPECT_EQ(device.value("PILOT"), "Jurgen Muller");
    EXPECT_EQ(device.value("COPIL"), "Anna Keller");
    EXPECT_EQ(device.taskPoints(),
              (std::vector<std::string>{"0000000N,00000000E,TAKEOFF", "4806450N,00845798E,Klippeneck",
                                        "4819386N,00858050E,Hohenzollern",
                                        "4806450N,00845798E,Klippeneck", "0000000N,00000000E,LANDING"}));
    EXPECT_EQ(DeclarationCheck::verifyWritten(flarm).text(), "written and verified");
    EXPECT_EQ(device.badSentences(), 0);

    flarm.setRestartAfterDeclaration(false);
    ASSERT_TRUE(write());
    EXPECT_EQ(device.restarts(), 1);
}

TEST_F(FlarmDeclarationWrite, UnitThatCannotReportItsTaskIsVerifiedByItsItems) {
    sim::PseudoTerminal line;
    auto config = test::flarmTestDevice();
    config.reportsTask = false;
    sim::FlarmEmulator older(line, config);
    ASSERT_TRUE(flarm.connect(line.slavePath()));
    ASSERT_TRUE(write());
    EXPECT_EQ(DeclarationCheck::verifyWritten(flarm).text(),
              "written; this unit cannot report its task, items verified");
    older.setAlterDeclaration(true);
    ASSERT_TRUE(write());
    EXPECT_EQ(DeclarationCheck::verifyWritten(flarm).text(),
              "written, but the recorder holds another declaration: Pilot 1 meant \"Jurgen "
              "Muller\", recorder holds \"Kurgen Muller\"");
}

TEST_F(FlarmDeclarationWrite, RefusalsEndTheWriteWithTheirReason) {
    // A name cannot pass for a sentence of its own.
    ASSERT_TRUE(write("*$PFLAC,A,ERROR"));
    EXPECT_EQ(device.value("PILOT"), "PFLAC,A,ERROR");
    device.setRefuseNewTask(true);
    EXPECT_EQ(write().reason(),
              "the Flarm refused NEWTASK,Task with \"$PFLAC,A,ERROR\"; its declaration is "
              "incomplete");
    EXPECT_EQ(device.restarts(), 1);

    for (const auto& [key, value, reason] :
         {std::tuple{"LIC", "AUD:1;IGC:0", "this FLARM has no IGC licence, so it cannot keep a "
                                           "declaration; nothing was written"},
          std::tuple{"IGCSER", "", "this FLARM has no IGC serial number, so it is no IGC "
                                   "recorder and cannot keep a declaration; nothing was written"}}) {
        sim::PseudoTerminal line;
        auto config = test::flarmTestDevice();
        config.values[key] = value;
        sim::FlarmEmulator unit(line, config);
        ASSERT_TRUE(flarm.connect(line.slavePath()));
        EXPECT_EQ(write().reason(), reason);
        EXPECT_EQ(unit.value("PILOT"), "Test Pilot");
    }
}

TEST_F(FlarmDriver, UnitRefusingBinaryModeOffersNoDownload) {
    sim::PseudoTerminal line;
    auto config = test::flarmTestDevice();
    config.binaryDownload = false;
    sim::FlarmEmulator fusion(line, config);
    ASSERT_TRUE(flarm.connect(line.slavePath()));
    EXPECT_EQ(flarm.readDirectory(true).reason(),
              "this FLARM offers no flight download over this port");
    EXPECT_TRUE(flarm.readInfo());
}

class KelvoFlarmOnEmulator : public ::testing::Test {
  protected:
    bool connect() { return flarm.SerialConnectFR(terminal.slavePath()).ok(); }

    ScopedDelayScale fast{0.05};
    sim::PseudoTerminal terminal;
    sim::FlarmEmulator device{terminal, test::flarmTestDevice()};
    KelvoFlarm flarm;
};

TEST_F(KelvoFlarmOnEmulator, FindsNineteenThousandTwoHundredBaudOnThirdAttempt) {
    CapturingLogSink log;
    ASSERT_TRUE(connect());
    EXPECT_EQ(device.speedQueries(), 3);
    EXPECT_EQ(terminal.lineSpeed(), 19200);
    EXPECT_TRUE(log.contains("token: $PFLAU,0"));
    EXPECT_TRUE(log.contains("synced!\r"));
    EXPECT_TRUE(log.contains("Connect succeeded!\r"));
}

// A program that ended in binary mode leaves the unit there; the speed probe's binary exit
// brings it back.
TEST_F(KelvoFlarmOnEmulator, FindsAUnitLeftInBinaryMode) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(flarm.enterBinaryMode());
    flarm.DisconnectFR();
    ASSERT_TRUE(device.inBinaryMode());
    ASSERT_TRUE(connect());
    EXPECT_FALSE(device.inBinaryMode());
}

// Every speed a Flarm can be set to is searched, by name and among the other families'
// tries; the speed that last worked is asked first, and a speed the user gave alone.
TEST(FlarmSpeedSearch, FindsTheFlarmAtEachSpeedAndUsesAGivenSpeedAlone) {
    ScopedDelayScale fast{0.1};
    LoggerFactory factory;
    factory.registerBuiltinLoggers();
    const LoggerDetector detector(factory);
    struct Case {
        std::uint32_t deviceSpeed;
        const char* type;
        int speed;  // remembered, or given
        bool given;
        bool found;
    };
    const Case cases[] = {
        {57600, "Flarm", 0, false, true},
        {115200, "Flarm", 0, false, true},
        {9600, LoggerDetector::kAutomatic, 0, false, true},
        {4800, LoggerDetector::kAutomatic, 4800, false, true},
        {115200, "Flarm", 115200, true, true},
        {19200, "Flarm", 57600, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.deviceSpeed));
        sim::PseudoTerminal terminal;
        sim::FlarmEmulatorConfig config = test::flarmTestDevice();
        config.speed = c.deviceSpeed;
        sim::FlarmEmulator device{terminal, config};
        const LoggerDetector::Result result =
            c.given ? detector.connectAtSpeed(c.type, terminal.slavePath(), c.speed)
                    : detector.connect(c.type, terminal.slavePath(), c.speed);
        ASSERT_EQ(result.outcome.ok(), c.found) << result.outcome.reason();
        if (!c.found) continue;
        EXPECT_EQ(result.loggerName, "Flarm");
        EXPECT_EQ(result.logger->lineSpeed(), static_cast<int>(c.deviceSpeed));
        EXPECT_EQ(terminal.lineSpeed(), static_cast<int>(c.deviceSpeed));
        if (c.speed != 0) {
            EXPECT_EQ(device.speedQueries(), 1);
        }
        result.logger->disconnect();
    }
}

TEST_F(KelvoFlarmOnEmulator, RefusedRecordLeavesEarlierFileUntouched) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(flarm.enterBinaryMode());
    TempFolder folder;
    const auto path = folder.write("flight.IGC", "earlier");

    device.setRefusedRecord(0);
    CapturingLogSink log;
    EXPECT_FALSE(flarm.getIGCFile(0, path));
    EXPECT_TRUE(log.contains("Select Record failed!\r"));

    EXPECT_EQ(readText(path), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace kelvo
