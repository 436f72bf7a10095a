#include "LoggerAccess/Flarm/KelvoFlarm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FlarmTestDevice.h"
#include "base/AtomicFile.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

std::string contentsOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class KelvoFlarmOnEmulator : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("kelvo-flarm-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    bool connect() { return flarm.SerialConnectFR(terminal.slavePath()); }

    ScopedDelayScale fast{0.05};
    sim::PseudoTerminal terminal;
    sim::FlarmEmulator device{terminal, test::flarmTestDevice()};
    KelvoFlarm flarm;
    std::filesystem::path folder;
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

TEST_F(KelvoFlarmOnEmulator, ReadsEveryConfigurationValue) {
    ASSERT_TRUE(connect());
    std::string text;
    const std::vector<std::pair<bool (KelvoFlarm::*)(std::string&), std::string>> expected{
        {&KelvoFlarm::getFlarmHardwareVersion, "LC1"},
        {&KelvoFlarm::getFlarmSoftwareVersion, "6.42"},
        {&KelvoFlarm::getFlarmObstacleDatabase, "Alps 2026"},
        {&KelvoFlarm::getFlarmVersion, "4711"},
        {&KelvoFlarm::getAircraftType, "Glider"},
        {&KelvoFlarm::getPilotName, "Test Pilot"},
        {&KelvoFlarm::getGliderType, "ASW 24"},
        {&KelvoFlarm::getCompetitionClass, "Standard"},
        {&KelvoFlarm::getCompetitionID, "K5"},
        {&KelvoFlarm::getGliderRegistration, "D-1234"},
    };
    for (const auto& [getter, value] : expected) {
        EXPECT_TRUE((flarm.*getter)(text));
        EXPECT_EQ(text, value);
    }
}

TEST_F(KelvoFlarmOnEmulator, ListsRecordsUntilTheDeviceRefusesOne) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(flarm.enterBinaryMode());
    EXPECT_TRUE(device.inBinaryMode());
    EXPECT_EQ(flarm.getFlightRecord(0), test::flarmTestDevice().flights[0].record);
    EXPECT_EQ(flarm.getFlightRecord(2), test::flarmTestDevice().flights[2].record);
    EXPECT_FALSE(flarm.getFlightRecord(3));
    EXPECT_TRUE(flarm.leaveBinaryMode());
    EXPECT_FALSE(device.inBinaryMode());
    std::string pilot;
    flarm.getPilotName(pilot);
    EXPECT_EQ(pilot, "Test Pilot");
}

TEST_F(KelvoFlarmOnEmulator, DownloadsIgcFileWithoutEndMarkerAndReportsProgress) {
    ASSERT_TRUE(connect());
    device.setNoiseBeforeFrames(true);
    ASSERT_TRUE(flarm.enterBinaryMode());
    std::vector<std::pair<int, std::size_t>> reports;
    const auto path = folder / "flight.IGC";
    ASSERT_TRUE(flarm.getIGCFile(2, path, [&](int percent, std::size_t written) {
        reports.emplace_back(percent, written);
    }));
    const std::string igc = test::flarmIgc(2);
    EXPECT_EQ(contentsOf(path), igc);
    ASSERT_EQ(reports.size(), igc.size() / 100 + 1);
    EXPECT_EQ(reports.front(), (std::pair<int, std::size_t>{100 * 100 / int(igc.size() + 1), 100}));
    EXPECT_EQ(reports.back(), (std::pair<int, std::size_t>{100, igc.size()}));
}

TEST_F(KelvoFlarmOnEmulator, FailedDownloadsLeaveEarlierFileUntouched) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(flarm.enterBinaryMode());
    const auto path = folder / "flight.IGC";
    ASSERT_TRUE(writeFileAtomically(path, std::string_view("earlier")));

    device.setRefusedRecord(0);
    CapturingLogSink log;
    EXPECT_FALSE(flarm.getIGCFile(0, path));
    EXPECT_TRUE(log.contains("Select Record failed!\r"));

    device.setRefusedRecord(-1);
    device.setWrongCrc(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(flarm.getIGCFile(0, path));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(contentsOf(path), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(KelvoFlarmSilentDevice, ConnectGivesUpAfterTwentyFiveAttempts) {
    ScopedDelayScale fast(0.02);
    sim::PseudoTerminal terminal;
    sim::FlarmEmulator device(terminal, test::flarmTestDevice());
    device.setSilent(true);
    KelvoFlarm flarm;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(flarm.SerialConnectFR(terminal.slavePath()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(device.speedQueries(), 25);
    EXPECT_FALSE(flarm.enterBinaryMode());
    EXPECT_TRUE(flarm.leaveBinaryMode());
}

}  // namespace
}  // namespace kelvo
