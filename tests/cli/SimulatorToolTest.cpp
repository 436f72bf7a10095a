#include <gtest/gtest.h>

#include <filesystem>

#include "ToolProcess.h"

namespace kelvo::cli::test {
namespace {

namespace fs = std::filesystem;

TEST(SimulatorTool, PublishesEachRunningRecorderUnderItsOwnName) {
    ToolEnvironment environment;
    const fs::path ports = environment.folder() / "kelvo/ports";
    // A link left behind by a simulator that crashed is taken over.
    fs::create_directories(ports);
    fs::create_symlink("/dev/pts/no-such-terminal", ports / "Simulated Flarm");

    SimulatorProcess first({"flarm", "--small"});
    SimulatorProcess second({"flarm", "--small"});
    ASSERT_FALSE(first.devicePath().empty());
    ASSERT_FALSE(second.devicePath().empty());
    EXPECT_EQ(fs::read_symlink(ports / "Simulated Flarm"), first.devicePath());
    EXPECT_EQ(fs::read_symlink(ports / "Simulated Flarm 2"), second.devicePath());

    EXPECT_EQ(first.stop(), 0);
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(ports / "Simulated Flarm")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(ports / "Simulated Flarm 2")));
}

TEST(SimulatorTool, RefusesArgumentsItDoesNotKnow) {
    ToolEnvironment environment;
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"garmin"},
                                               {"lx", "--fault", "fire"},
                                               {"lx", "--speed", "12345"},
                                               {"volkslogger", "--speed", "9600"}}) {
        SimulatorProcess simulator(arguments);
        EXPECT_TRUE(simulator.devicePath().empty());
        EXPECT_EQ(simulator.stop(), 2);
    }
}

}  // namespace
}  // namespace kelvo::cli::test
