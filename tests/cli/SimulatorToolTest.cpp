#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>

#include "ToolProcess.h"

namespace kelvo::cli::test {
namespace {

namespace fs = std::filesystem;

TEST(SimulatorTool, PublishesEachRunningRecorderUnderItsOwnName) {
    ToolEnvironment environment;
    const fs::path ports = environment.folder() / "kelvo/ports";
    // A link left behind by a simulator that ended while publishing is taken over.
    fs::create_directories(ports);
    fs::create_symlink("/dev/pts/no-such-terminal", ports / "Simulated Flarm");

    SimulatorProcess first({"flarm", "--small"});
    SimulatorProcess second({"flarm", "--small"});
    ASSERT_FALSE(first.devicePath().empty());
    ASSERT_FALSE(second.devicePath().empty());
    EXPECT_EQ(fs::read_symlink(ports / "Simulated Flarm"), first.devicePath());
    EXPECT_EQ(fs::read_symlink(ports / "Simulated Flarm 2"), second.devicePath());

    // So is the name of a simulator that was killed outright.
    EXPECT_EQ(first.stop(SIGKILL), -1);
    SimulatorProcess third({"flarm", "--small"});
    ASSERT_FALSE(third.devicePath().empty());
    EXPECT_EQ(fs::read_symlink(ports / "Simulated Flarm"), third.devicePath());

    EXPECT_EQ(third.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports / "Simulated Flarm")));
    EXPECT_FALSE(fs::exists(ports / "Simulated Flarm.pid"));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(ports / "Simulated Flarm 2")));
    EXPECT_TRUE(fs::exists(ports / "Simulated Flarm 2.pid"));
}

TEST(SimulatorTool, HoldsTheFlightsAskedForAndSendsThemNoFasterThanTheLine) {
    ToolEnvironment environment;
    const fs::path stats = environment.file("stats.json");
    SimulatorProcess simulator(
        {"lx", "--small", "--flights", "7", "--line-rate", "--stats", stats.string()});
    ASSERT_FALSE(simulator.devicePath().empty());

    const auto start = std::chrono::steady_clock::now();
    const CliRun run =
        environment.cli({"flights", "--type", "lx", "--port", "Simulated LX", "--json"});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out).size(), 7u);

    EXPECT_EQ(simulator.stop(), 0);
    const auto sent = nlohmann::json::parse(readFile(stats));
    EXPECT_GT(sent["bytes"].get<double>(), 0);
    // At 19200 baud every byte takes half a millisecond.
    EXPECT_NEAR(sent["line_seconds"].get<double>(), sent["bytes"].get<double>() / 1920, 0.002);
    EXPECT_GE(took.count(), sent["line_seconds"].get<double>());
}

TEST(SimulatorTool, RefusesAPortFolderThatOthersMayWrite) {
    ToolEnvironment environment;
    const fs::path kelvo = environment.folder() / "kelvo";
    fs::create_directories(kelvo);
    fs::permissions(kelvo, fs::perms::all);
    SimulatorProcess simulator({"lx", "--small"});
    EXPECT_TRUE(simulator.devicePath().empty());
    EXPECT_EQ(simulator.stop(), 1);
    EXPECT_FALSE(fs::exists(kelvo / "ports"));
}

TEST(SimulatorTool, RefusesArgumentsItDoesNotKnow) {
    ToolEnvironment environment;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"garmin"},
                                               {"lx", "--fault", "fire"},
                                               {"lx", "--speed", "12345"},
                                               {"lx", "--flights", "101"},
                                               {"volkslogger", "--speed", "9600"}}) {
        SimulatorProcess simulator(arguments);
        EXPECT_TRUE(simulator.devicePath().empty());
        EXPECT_EQ(simulator.stop(), 2);
    }
}

}  // namespace
}  // namespace kelvo::cli::test
