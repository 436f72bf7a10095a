#include "LoggerAccess/Volkslogger/VLAPI.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../TempFolder.h"
#include "LoggerAccess/Volkslogger/GRECORD.h"
#include "base/Delay.h"
#include "base/UtcDate.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"

namespace kelvo::vl {
namespace {

using namespace std::chrono_literals;

sim::VolksloggerMemory exampleMemory() {
    sim::VolksloggerMemory memory;
    for (int i = 0; i < 3; ++i) {
        sim::VolksloggerFlight flight =
            sim::syntheticFlight(*utcTime(2009, 10, 7 + i / 2, 9 + i, 0, 0), 600 + 60 * i, 2);
        flight.pilot = "Pilot " + std::to_string(i);
        memory.flights.push_back(flight);
    }
    return memory;
}

class VolksloggerApi : public ::testing::Test {
  protected:
    void SetUp() override {
        api.portName = pty.slavePath();
        ASSERT_EQ(api.open(1, 5s, 1, 115200), 0);
        EXPECT_TRUE(api.vlpresent);
    }

    void TearDown() override { EXPECT_TRUE(emulator.violations().empty()); }

    ScopedDelayScale fast{0.04};
    sim::PseudoTerminal pty;
    sim::VolksloggerEmulator emulator{pty, exampleMemory()};
    VLAPI api;
    TempFolder folder;
};

TEST_F(VolksloggerApi, DownloadsFlightsWithTheGRecordsOfTheBytesSent) {
    for (const int secure : {1, 0}) {
        const auto path = folder.path() / "flight.igc";
        ASSERT_EQ(api.read_igcfile(path, 1, secure), 0);
        const std::string igc = readText(path);
        EXPECT_EQ(igc.rfind("AGCS0YA\r\n", 0), 0u);
        std::ostringstream gRecords;
        const Bytes sent = emulator.lastFlightSent();
        print_g_record(gRecords, sent, static_cast<long>(sent.size()));
        ASSERT_GT(igc.size(), gRecords.str().size());
        EXPECT_EQ(igc.substr(igc.size() - gRecords.str().size()), gRecords.str());
        std::size_t fixes = 0;
        for (std::size_t at = igc.find("\nB"); at != std::string::npos;
             at = igc.find("\nB", at + 1)) {
            ++fixes;
        }
        EXPECT_EQ(fixes, 331u);  // 660 s, one fix every 2 s
        const auto commands = emulator.commands();
        ASSERT_GE(commands.size(), 2u);
        EXPECT_EQ(commands[commands.size() - 2], secure ? 3 : 2);
        EXPECT_EQ(commands.back(), 8);
    }
}

TEST(VolksloggerApiLifecycle, CloseOnlyWhenPresentAndPortErrors) {
    ScopedDelayScale fast{0.01};
    VLAPI api;
    api.close(1);  // nothing to do
    api.portName = "/nonexistent/tty";
    EXPECT_EQ(api.open(1, 1s, 1, 115200), 2);
    EXPECT_FALSE(api.portIsOpen());

    sim::PseudoTerminal silentLine;
    api.portName = silentLine.slavePath();
    EXPECT_EQ(api.open(1, 1s, 1, 115200), 6);
    EXPECT_TRUE(api.portIsOpen());  // kept for the next attempt
    api.close(1);
    EXPECT_TRUE(api.portIsOpen());  // not present: close does nothing
}

}  // namespace
}  // namespace kelvo::vl
