#include "LoggerAccess/Flarm/Flarm.h"
#include "LoggerAccess/Flarm/KelvoFlarm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "../TempFolder.h"
#include "FlarmTestDevice.h"
#include "LoggerAccess/LoggerDetector.h"
#include "LoggerAccess/LoggerFactory.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
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
