#include "LoggerAccess/Flarm/KelvoFlarm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "../TempFolder.h"
#include "FlarmTestDevice.h"
#include "base/AtomicFile.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

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

TEST_F(KelvoFlarmOnEmulator, RefusedRecordLeavesEarlierFileUntouched) {
    ASSERT_TRUE(connect());
    ASSERT_TRUE(flarm.enterBinaryMode());
    TempFolder folder;
    const auto path = folder.write("flight.IGC", "earlier");

    device.setRefusedRecord(0);
    CapturingLogSink log;
    EXPECT_FALSE(flarm.getIGCFile(0, path));
    EXPECT_TRUE(log.contains("Select Record failed!\r"));

    std::ostringstream contents;
    contents << std::ifstream(path).rdbuf();
    EXPECT_EQ(contents.str(), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
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
