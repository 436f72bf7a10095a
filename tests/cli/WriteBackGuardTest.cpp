#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ToolProcess.h"
#include "base/Format.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoContent.h"
#include "sim/demo/DemoLX.h"
#include "sim/demo/DemoVolkslogger.h"

// kelvo-cli against recorders emulated in this process: a failed read or a file beyond the
// recorder's limits must never reach the recorder.
namespace kelvo::cli::test {
namespace {

using nlohmann::json;

// A CUP file of count waypoints named W0, W1, ... along a meridian.
std::string cupFile(int count) {
    std::string text = "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\n";
    for (int i = 0; i < count; ++i) {
        text += stringf("\"W%d\",,,%02d%06.3fN,00845.800E,800.0m,1,,,,\n", i, 47 + i / 60,
                        static_cast<double>(i % 60));
    }
    return text;
}

// A declaration whose task has count points T0 ... T(count - 1).
std::string declarationWithTask(int count) {
    json task = json::array();
    for (int i = 0; i < count; ++i) {
        task.push_back({{"name", stringf("T%d", i)}, {"latitude", 48.0 + i * 0.01},
                        {"longitude", 8.5}});
    }
    return json{{"task", task}}.dump();
}

class GuardedUpload : public testing::Test {
  protected:
    CliRun cli(const std::string& type, std::vector<std::string> options) {
        options.insert(options.begin() + 1, {"--type", type, "--port", line.slavePath()});
        return environment.cli(options);
    }
    std::string file(const std::string& name, const std::string& text) {
        writeFile(environment.file(name), text);
        return environment.file(name).string();
    }

    ToolEnvironment environment;
    sim::PseudoTerminal line;
};

TEST_F(GuardedUpload, LXRecorderKeepsItsDataWhenAReadFailsOrATaskDoesNotFit) {
    sim::LXRecorderEmulator recorder(line, 19200);
    sim::loadDemo(recorder, smallDemo());
    const std::string waypoints = file("db.cup", cupFile(5));
    const Bytes database = recorder.database();
    const Bytes declaration = recorder.declaration();
    for (const std::uint8_t failingRead : {0x52, 0xC9}) {  // the database, the declaration
        recorder.corruptCrcOf(failingRead);
        const CliRun run = cli("lx", {"upload", "--waypoints", waypoints});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("checksum error"), std::string::npos) << run.err;
    }
    recorder.corruptCrcOf(0);
    const std::string longTask = file("task.json", declarationWithTask(20));
    const CliRun refused = cli("lx", {"upload", "--waypoints", waypoints, "--declaration", longTask});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("at most 10 task points; 20"), std::string::npos) << refused.err;
    EXPECT_EQ(recorder.database(), database);
    EXPECT_EQ(recorder.declaration(), declaration);

    const CliRun cut = cli("lx", {"upload", "--waypoints", waypoints, "--declaration", longTask,
                                  "--truncate"});
    ASSERT_EQ(cut.status, 0) << cut.err;
    const CliRun back = cli("lx", {"declaration", "--json"});
    const json task = json::parse(back.out)["task"];
    ASSERT_EQ(task.size(), 10u);
    EXPECT_EQ(task.back()["name"], "T19");  // the finish stays
}

TEST_F(GuardedUpload, VolksloggerRecorderKeepsItsDataWhenAReadFailsOrTheFileIsTooLarge) {
    sim::VolksloggerEmulator recorder(line, sim::demoVolksloggerMemory(smallDemo()));
    const Bytes image = recorder.databaseImage();
    const std::string many = file("many.cup", cupFile(700));
    recorder.setFault(sim::VolksloggerEmulator::Fault::WrongCrc);
    EXPECT_EQ(cli("volkslogger", {"upload", "--waypoints", many}).status, 1);
    recorder.setFault(sim::VolksloggerEmulator::Fault::None);
    const CliRun refused = cli("volkslogger", {"upload", "--waypoints", many});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("at most 500 waypoints; 700"), std::string::npos) << refused.err;
    const CliRun empty = cli("volkslogger", {"upload", "--waypoints", file("none.cup", cupFile(0))});
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.err.find("--replace-all"), std::string::npos) << empty.err;
    EXPECT_EQ(recorder.databaseImage(), image);

    const CliRun cut = cli("volkslogger", {"upload", "--waypoints", many, "--truncate"});
    ASSERT_EQ(cut.status, 0) << cut.err;
    EXPECT_NE(cut.err.find("cut to fit"), std::string::npos);
    const CliRun back = cli("volkslogger", {"database", "--output", "back.cup", "--json"});
    EXPECT_EQ(json::parse(back.out)["waypoints"], 500);
}

}  // namespace
}  // namespace kelvo::cli::test
