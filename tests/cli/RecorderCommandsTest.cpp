#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "LoggerAccess/LoggerFactory.h"
#include "ToolProcess.h"
#include "base/Text.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::cli::test {
namespace {

using nlohmann::json;

struct Family {
    std::string alias;       // kelvo-sim's and kelvo-cli's short name
    std::string loggerName;  // the driver's
    std::string portName;    // where the port menu shows it
    bool hasNativeFile;
    bool keepsDatabase;
};

std::ostream& operator<<(std::ostream& stream, const Family& family) {
    return stream << family.alias;
}

const sim::DemoContent& demo() {
    static const auto content = sim::DemoContent::make(sim::DemoSize::Small);
    return content;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A simulator of the family with the small demo flights, and the command lines to reach it.
class RecorderCommands : public testing::TestWithParam<Family> {
  protected:
    void SetUp() override {
        LoggerFactory& factory = LoggerFactory::shared();
        factory.registerBuiltinLoggers();
        factory.registerFutureLoggers();
        if (!factory.loggerClassWithName(GetParam().loggerName)) {
            GTEST_SKIP() << "no " << GetParam().loggerName << " driver in this build";
        }
    }

    void startSimulator(std::vector<std::string> options = {}) {
        options.insert(options.begin(), {GetParam().alias, "--small"});
        m_simulator = std::make_unique<SimulatorProcess>(options);
        ASSERT_FALSE(m_simulator->devicePath().empty());
    }

    // The command against the simulator, reached by its published name.
    CliRun cli(const std::string& command, std::vector<std::string> options = {}) {
        options.insert(options.begin(),
                       {command, "--type", GetParam().alias, "--port", GetParam().portName});
        return m_environment.cli(options);
    }

    json cliJson(const std::string& command, std::vector<std::string> options = {}) {
        options.push_back("--json");
        const CliRun run = cli(command, options);
        EXPECT_EQ(run.status, 0) << run.err;
        return json::parse(run.out, nullptr, false);
    }

    ToolEnvironment m_environment;
    std::unique_ptr<SimulatorProcess> m_simulator;
};

TEST_P(RecorderCommands, ListsTheFlightsAndDownloadsOneAsIgc) {
    startSimulator();
    const json ports = json::parse(m_environment.cli({"ports", "--json"}).out);
    EXPECT_EQ(ports[GetParam().portName],
              (m_environment.folder() / "kelvo/ports" / GetParam().portName).string());

    const json flights = cliJson("flights");
    ASSERT_EQ(flights.size(), demo().flights.size());
    const json& first = flights[0];
    EXPECT_EQ(first["number"], "0");
    EXPECT_EQ(first["date"], "2026-05-14T10:38:30Z");

    const CliRun download = cli("download", {"--flight", "0", "--output", "first.igc"});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(download.out, "first.igc\n");
    EXPECT_TRUE(readFile(m_environment.file("first.igc")).starts_with("A"));

    // The trace holds the fixes the recorder logged.
    const json trace =
        json::parse(m_environment.cli({"igc", "first.igc", "--json", "--fixes"}).out);
    const auto& fixes = demo().flights[0].fixes;
    ASSERT_EQ(trace["fixCount"], fixes.size());
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        EXPECT_NEAR(trace["fixes"][i]["latitude"].get<double>(), fixes[i].latitude, 1.0 / 60000);
        EXPECT_NEAR(trace["fixes"][i]["longitude"].get<double>(), fixes[i].longitude, 1.0 / 60000);
    }
    EXPECT_EQ(trace["fixes"][0]["time"], "2026-05-14T10:38:30Z");

    // Without --output the file takes the directory's name, in the current folder.
    const CliRun named = cli("download", {"--flight", "2"});
    ASSERT_EQ(named.status, 0) << named.err;
    const auto name =
        std::filesystem::path(flights[2]["filename"].get<std::string>()).replace_extension("IGC");
    EXPECT_EQ(named.out, name.string() + "\n");
    EXPECT_TRUE(std::filesystem::exists(m_environment.file(name)));

    const CliRun missing = cli("download", {"--flight", "7"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(lineCount(missing.err), 1u) << missing.err;
}

TEST_P(RecorderCommands, DownloadsNativeFlightsWhereTheRecorderHasAFormat) {
    startSimulator();
    const CliRun native = cli("download", {"--flight", "1", "--native", "--output", "second.LXN"});
    if (!GetParam().hasNativeFile) {
        EXPECT_EQ(native.status, 1);
        return;
    }
    ASSERT_EQ(native.status, 0) << native.err;
    ASSERT_EQ(cli("download", {"--flight", "1", "--output", "second.igc"}).status, 0);
    // The native file converts to the IGC file the recorder delivers.
    ASSERT_EQ(m_environment.cli({"convert", "second.LXN", "converted.igc"}).status, 0);
    EXPECT_EQ(readFile(m_environment.file("converted.igc")),
              readFile(m_environment.file("second.igc")));
}

TEST_P(RecorderCommands, ReadsTheDeclaration) {
    startSimulator();
    const json declaration = cliJson("declaration");
    // Some recorders keep their texts in upper case.
    EXPECT_EQ(toUpperAscii(declaration["pilot1"].get<std::string>()), "ANNA KELLER");
    EXPECT_EQ(declaration["gliderID"], "D-5408");
    EXPECT_EQ(declaration["competitionClass"], "Standard");
    if (GetParam().keepsDatabase) {
        ASSERT_EQ(declaration["task"].size(), 5u);
        EXPECT_NEAR(declaration["task"][1]["latitude"].get<double>(), 48.4969, 1e-4);
    }
}

TEST_P(RecorderCommands, SilentRecorderFailsWithOneLine) {
    startSimulator({"--fault", "silent"});
    const CliRun run = cli("info");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(lineCount(run.err), 1u) << run.err;
    EXPECT_EQ(m_simulator->stop(), 0);
    EXPECT_FALSE(
        std::filesystem::exists(m_environment.folder() / "kelvo/ports" / GetParam().portName));
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, RecorderCommands,
                         testing::Values(Family{"lx", "LX/SDI/Filser", "Simulated LX", true, true},
                                         Family{"volkslogger", "Volkslogger",
                                                "Simulated Volkslogger", false, true},
                                         Family{"flarm", "Flarm", "Simulated Flarm", false, false}),
                         [](const auto& info) { return info.param.alias; });

}  // namespace
}  // namespace kelvo::cli::test
