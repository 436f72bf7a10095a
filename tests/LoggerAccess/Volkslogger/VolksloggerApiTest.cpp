#include "LoggerAccess/Volkslogger/VLAPI.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LoggerAccess/Volkslogger/GRECORD.h"
#include "base/Delay.h"
#include "base/UtcDate.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"

namespace kelvo::vl {
namespace {

using namespace std::chrono_literals;
using Fault = sim::VolksloggerEmulator::Fault;

sim::VolksloggerMemory exampleMemory() {
    sim::VolksloggerMemory memory;
    for (int i = 0; i < 3; ++i) {
        sim::VolksloggerFlight flight =
            sim::syntheticFlight(*utcTime(2009, 10, 7 + i / 2, 9 + i, 0, 0), 600 + 60 * i, 2);
        flight.serialNumber = memory.serialNumber;
        flight.pilot = "Pilot " + std::to_string(i);
        memory.flights.push_back(flight);
    }
    VLAPI_DATA::WPT home;
    std::strcpy(home.name, "HOME");
    home.lat = 47.5;
    home.lon = 8.25;
    memory.database.waypoints.push_back(home);
    std::strcpy(memory.database.declaration.pilot, "ANNA");
    return memory;
}

class VolksloggerApi : public ::testing::Test {
  protected:
    void SetUp() override {
        // Fine-grained sleeps, so the paced database upload keeps up with the delay scale.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        api.portName = pty.slavePath();
        ASSERT_EQ(api.open(1, 5, 1, 115200), 0);
        EXPECT_TRUE(api.vlpresent);
    }

    void TearDown() override { EXPECT_TRUE(emulator.violations().empty()); }

    std::string readFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Runs an operation and checks that it ends with the result within the bound (the
    // paced database upload takes its own time on top).
    template <typename Operation>
    void expectResultWithin(int expected, Operation operation, std::chrono::seconds bound = 3s) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(operation(), expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, bound);
    }

    ScopedDelayScale fast{0.04};
    sim::PseudoTerminal pty;
    sim::VolksloggerEmulator emulator{pty, exampleMemory()};
    VLAPI api;
    std::filesystem::path folder = std::filesystem::temp_directory_path();
};

TEST_F(VolksloggerApi, ReadsInfoAndDirectory) {
    ASSERT_EQ(api.read_info(), 0);
    EXPECT_EQ(api.vlinfo.sessionid, 0x2A);
    EXPECT_EQ(api.vlinfo.vlserno, 1234);
    EXPECT_EQ(api.vlinfo.fwmajor, 3);
    EXPECT_EQ(api.vlinfo.fwminor, 6);
    EXPECT_EQ(api.vlinfo.fwbuild, 7);
    EXPECT_EQ(api.vlinfo.hwmajor, 3);
    EXPECT_EQ(api.vlinfo.hwminor, 3);

    ASSERT_EQ(api.read_directory(), 0);
    ASSERT_EQ(api.directory.size(), 3u);
    EXPECT_STREQ(api.directory[0].filename, "9A7A0YA1.IGC");
    EXPECT_STREQ(api.directory[1].filename, "9A7A0YA2.IGC");
    EXPECT_STREQ(api.directory[2].filename, "9A8A0YA1.IGC");
    EXPECT_EQ(api.directory[2].recordingtime, 720);
    EXPECT_STREQ(api.directory[1].pilot, "Pilot 1");
}

TEST_F(VolksloggerApi, DownloadsFlightsWithTheGRecordsOfTheBytesSent) {
    for (const int secure : {1, 0}) {
        const auto path = folder / ("kelvo-vl-" + std::to_string(::getpid()) + ".igc");
        ASSERT_EQ(api.read_igcfile(path, 1, secure), 0);
        const std::string igc = readFile(path);
        std::filesystem::remove(path);
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

TEST_F(VolksloggerApi, WritesAndReadsBackTheDatabase) {
    ASSERT_EQ(api.read_db_and_declaration(), 0);
    ASSERT_EQ(api.database.waypoints.size(), 1u);
    EXPECT_STREQ(api.database.declaration.pilot, "ANNA");

    VLAPI_DATA::WPT next = api.database.waypoints[0];
    std::strcpy(next.name, "ziel");
    api.database.waypoints.push_back(next);
    VLAPI_DATA::PILOT pilot;
    std::strcpy(pilot.name, "bert");
    api.database.pilots.push_back(pilot);
    std::strcpy(api.database.declaration.competitionid, "k1");
    ASSERT_EQ(api.write_db_and_declaration(), 0);
    EXPECT_EQ(emulator.commands().back(), 7);

    api.database = VolksloggerDatabase{};
    ASSERT_EQ(api.read_db_and_declaration(), 0);
    ASSERT_EQ(api.database.waypoints.size(), 2u);
    EXPECT_STREQ(api.database.waypoints[1].name, "ZIEL  ");
    ASSERT_EQ(api.database.pilots.size(), 1u);
    EXPECT_STREQ(api.database.pilots[0].name, "BERT            ");
    EXPECT_STREQ(api.database.declaration.competitionid, "K1");
}

TEST_F(VolksloggerApi, ErasesTheFlightMemory) {
    ASSERT_EQ(api.read_directory(), 0);
    ASSERT_EQ(api.clear_directory(), 0);
    EXPECT_EQ(emulator.flightCount(), 0u);
    EXPECT_EQ(api.read_directory(), 11);
    EXPECT_TRUE(api.directory.empty());
}

TEST_F(VolksloggerApi, RefusedCommandsEndWithTheirCodes) {
    emulator.setFault(Fault::RefuseCommands);
    const auto path = folder / "kelvo-vl-refused.igc";
    expectResultWithin(14, [&] { return api.read_info(); });
    expectResultWithin(6, [&] { return api.read_directory(); });
    expectResultWithin(14, [&] { return api.read_igcfile(path, 0, 1); });
    EXPECT_FALSE(std::filesystem::exists(path));
    expectResultWithin(9, [&] { return api.read_db_and_declaration(); });
    expectResultWithin(14, [&] { return api.clear_directory(); });
    EXPECT_EQ(emulator.flightCount(), 3u);
}

TEST_F(VolksloggerApi, WrongCrcMeansNoData) {
    emulator.setFault(Fault::WrongCrc);
    expectResultWithin(10, [&] { return api.read_info(); });
    expectResultWithin(4, [&] { return api.read_directory(); });  // not "no flights"
    expectResultWithin(14, [&] { return api.read_igcfile(folder / "kelvo-vl-crc.igc", 0, 0); });
    expectResultWithin(10, [&] { return api.read_db_and_declaration(); });
    expectResultWithin(
        14, [&] { return api.write_db_and_declaration(); }, 30s);
}

TEST_F(VolksloggerApi, SilenceAndDroppedLinesTimeOut) {
    emulator.setFault(Fault::DropMidBlock);
    expectResultWithin(13, [&] { return api.read_info(); });
    emulator.setFault(Fault::DropMidBlock);
    expectResultWithin(13, [&] { return api.read_igcfile(folder / "kelvo-vl-drop.igc", 0, 1); });
    emulator.setFault(Fault::DropMidBlock);
    expectResultWithin(13, [&] { return api.read_db_and_declaration(); });
    emulator.setFault(Fault::DropMidBlock);  // no acknowledgement after the upload
    expectResultWithin(
        13, [&] { return api.write_db_and_declaration(); }, 30s);
    emulator.setFault(Fault::SilentAfterReply);  // no acknowledgement before it
    expectResultWithin(13, [&] { return api.write_db_and_declaration(); });
    emulator.setFault(Fault::Silent);
    expectResultWithin(6, [&] { return api.read_info(); });
}

TEST(VolksloggerApiLifecycle, CloseOnlyWhenPresentAndPortErrors) {
    ScopedDelayScale fast{0.01};
    VLAPI api;
    api.close(1);  // nothing to do
    api.portName = "/nonexistent/tty";
    EXPECT_EQ(api.open(1, 1, 1, 115200), 2);
    EXPECT_FALSE(api.portIsOpen());

    sim::PseudoTerminal silentLine;
    api.portName = silentLine.slavePath();
    EXPECT_EQ(api.open(1, 1, 1, 115200), 6);
    EXPECT_TRUE(api.portIsOpen());  // kept for the next attempt
    api.close(1);
    EXPECT_TRUE(api.portIsOpen());  // not present: close does nothing
}

}  // namespace
}  // namespace kelvo::vl
