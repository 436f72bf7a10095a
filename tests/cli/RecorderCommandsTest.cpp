#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

#include "LoggerAccess/LoggerData.h"
#include "LoggerAccess/LoggerFactory.h"
#include "ToolProcess.h"
#include "base/Text.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"
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
    bool verifiesDatabase;  // reads a written database back (it is not acknowledged)
    bool keepsDeclaration = true;
};

const Family kFamilies[] = {
    {"lx", "LX/SDI/Filser", "Simulated LX", true, true, true},
    {"volkslogger", "Volkslogger", "Simulated Volkslogger", false, true, false},
    {"flarm", "Flarm", "Simulated Flarm", false, false, false}};

std::ostream& operator<<(std::ostream& stream, const Family& family) {
    return stream << family.alias;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// An upload's standard error without the list of what the recorder will not keep as it
// stands, which comes first.
std::string afterUnkeptList(const std::string& err) {
    std::size_t at = 0;
    while (err.compare(at, 34, "kelvo-cli: not kept as it stands: ") == 0) {
        const std::size_t end = err.find('\n', at);
        if (end == std::string::npos) return {};
        at = end + 1;
    }
    return err.substr(at);
}

// A simulator of the family with the small demo flights, and the command lines to reach it.
class RecorderCommands : public testing::TestWithParam<Family> {
  protected:
    void SetUp() override {
        LoggerFactory& factory = LoggerFactory::shared();
        factory.registerBuiltinLoggers();
        if (!factory.loggerClassWithName(GetParam().loggerName)) {
            GTEST_SKIP() << "no " << GetParam().loggerName << " driver in this build";
        }
        // A Volkslogger paces every byte of a database upload; its pauses are run faster.
        if (GetParam().alias == "volkslogger") setenv("KELVO_DELAY_SCALE", "0.04", 1);
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
    const std::string link =
        (m_environment.folder() / "kelvo/ports" / GetParam().portName).string();
    EXPECT_NE(std::find(ports.begin(), ports.end(),
                        json{{"name", GetParam().portName}, {"path", link}, {"identity", link}}),
              ports.end())
        << ports.dump();

    const json flights = cliJson("flights");
    ASSERT_EQ(flights.size(), smallDemo().flights.size());
    const json& first = flights[0];
    EXPECT_EQ(first["number"], "0");
    EXPECT_EQ(first["date"], "2026-05-14T10:38:30Z");

    const CliRun download = cli("download", {"--flight", "0", "--output", "first.igc"});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(download.out, "first.igc\n");
    EXPECT_EQ(download.err, "") << "the downloaded file would not pass the IGC check";
    EXPECT_EQ(m_environment.cli({"check", "first.igc"}).out, "first.igc: ok\n");
    // One serial throughout: the recorder's identity, its flights' names and A records (an
    // LX flight's A record names the make and the flight instead).
    const std::string serial = first["filename"].get<std::string>().substr(4, 3);
    EXPECT_NE(cli("info", {"--json"}).out.find(serial), std::string::npos) << serial;
    if (GetParam().alias != "lx") {
        EXPECT_EQ(readFile(m_environment.file("first.igc")).substr(4, 3), serial);
    }

    // The trace holds the fixes the recorder logged.
    const json trace =
        json::parse(m_environment.cli({"igc", "first.igc", "--json", "--fixes"}).out);
    const auto& fixes = smallDemo().flights[0].fixes;
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

// Without a type (or with Automatic) the family that answers is found; a family named that
// is not there fails at once with the name of the one that is.
TEST_P(RecorderCommands, FindsTheFamilyThatAnswersAndNamesItForAWrongType) {
    startSimulator();
    for (const auto& type : std::vector<std::vector<std::string>>{{}, {"--type", "Automatic"}}) {
        std::vector<std::string> arguments{"info", "--port", GetParam().portName, "--json"};
        arguments.insert(arguments.end(), type.begin(), type.end());
        const CliRun run = m_environment.cli(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(json::parse(run.out)["Logger type"], GetParam().loggerName);
    }
    for (const Family& other : kFamilies) {
        if (other.alias == GetParam().alias) continue;
        const CliRun run =
            m_environment.cli({"info", "--type", other.alias, "--port", GetParam().portName});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kelvo-cli: no " + other.loggerName +
                               " recorder answered on this port; a " + GetParam().loggerName +
                               " answered\n");
    }
}

// A speed given is the only one tried: a recorder at another is not searched for, and a
// family that does not talk at the speed is told so at once.
TEST_P(RecorderCommands, UsesAGivenLineSpeedAloneWithoutASearch) {
    const bool oneSpeed = GetParam().alias == "volkslogger";
    startSimulator(oneSpeed ? std::vector<std::string>{}
                            : std::vector<std::string>{"--speed", "57600"});
    const CliRun given = cli("info", {"--speed", oneSpeed ? "9600" : "57600"});
    EXPECT_EQ(given.status, 0) << given.err;

    ::setenv("KELVO_DELAY_SCALE", "0.05", 1);  // nothing answers at the other speed
    const CliRun other = cli("info", {"--speed", "19200"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(lineCount(other.err), 1u) << other.err;
    if (oneSpeed) {
        EXPECT_EQ(other.err, "kelvo-cli: the Volkslogger talks at 9600 baud, not at 19200\n");
    }
    EXPECT_EQ(cli("info", {"--speed", "12345"}).status, 2);
}

TEST_P(RecorderCommands, DownloadsTheFlightsNotYetInTheFolderOnce) {
    startSimulator();
    const json flights = cliJson("flights");
    ASSERT_EQ(flights.size(), 3u);
    const auto name = [&](std::size_t i) {
        return std::filesystem::path(flights[i]["filename"].get<std::string>())
            .replace_extension("IGC")
            .string();
    };
    // One flight is there already, in a subfolder and in lower case.
    std::filesystem::create_directories(m_environment.file("flights/old"));
    writeFile(m_environment.file("flights/old/" + toLowerAscii(name(1))), "earlier download");

    const json first = cliJson("download", {"--new", "--dir", "flights"});
    EXPECT_EQ(first["downloaded"], json({name(0), name(2)}));
    EXPECT_EQ(first["alreadyPresent"], json({name(1)}));
    EXPECT_TRUE(first["failed"].empty());
    EXPECT_TRUE(readFile(m_environment.file("flights/" + name(2))).starts_with("A"));

    const CliRun second = cli("download", {"--new", "--dir", "flights"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, "downloaded 0, already present 3, failed 0\n");
    EXPECT_EQ(cli("download", {"--new", "--flight", "1"}).status, 2);
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

// Reads or writes a waypoint file in the format of its extension.
std::unique_ptr<ImportFile> formatOf(const std::filesystem::path& path) {
    FileFactory& factory = FileFactory::shared();
    if (factory.getRegisteredFiles().empty()) factory.registerBuiltinFiletypes();
    return factory.getFileInstanceWithExtension(path.extension().string());
}

// Five waypoints with names every recorder keeps whole, and one route over three of them.
void writeChangedDatabase(const std::filesystem::path& path) {
    LoggerData data;
    const std::pair<const char*, double> places[] = {
        {"ALB", 48.40}, {"BRENZ", 48.62}, {"DONAU", 48.25}, {"ECK", 48.11}, {"FILS", 48.70}};
    for (const auto& [name, latitude] : places) {
        data.addWaypoint(Waypoint::fromDegrees(name, latitude, 9.0 + latitude / 10, 600));
    }
    auto route = std::make_shared<Route>();
    route->setValue("NEW ROUTE", {data.waypoints()[3], data.waypoints()[1], data.waypoints()[3]});
    data.addRoute(route);
    ASSERT_TRUE(formatOf(path)->makeFile(path, &data));
}

std::vector<std::string> upperNames(const WaypointList& waypoints) {
    std::vector<std::string> names;
    for (const auto& waypoint : waypoints) names.push_back(toUpperAscii(waypoint->name()));
    return names;
}

TEST_P(RecorderCommands, ReplacesTheDatabaseAndTheDeclaration) {
    startSimulator();
    writeChangedDatabase(m_environment.file("changed.cup"));
    writeFile(m_environment.file("declaration.json"), R"({
        "pilot1": "Ben Ott-Hohenzollern-Sigmaringen von Wuerttemberg",
        "gliderID": "D-1234", "competitionClass": "Club",
        "task": [{"name": "ECK", "latitude": 48.11, "longitude": 9.0, "cylinderRadius": 500},
                 {"name": "BRENZ", "latitude": 48.62, "longitude": 9.0, "cylinderRadius": 500},
                 {"name": "ECK", "latitude": 48.11, "longitude": 9.0, "cylinderRadius": 500}]})");
    const CliRun upload =
        cli("upload", {"--waypoints", "changed.cup", "--declaration", "declaration.json"});
    const CliRun database = cli("database", {"--output", "before.cup"});
    if (!GetParam().keepsDatabase) {
        EXPECT_EQ(upload.status, 1);
        EXPECT_EQ(database.status, 1);
        return;
    }
    ASSERT_EQ(upload.status, 0) << upload.err;
    ASSERT_EQ(database.status, 0) << database.err;
    EXPECT_TRUE(upload.out.ends_with("declaration written and verified\n")) << upload.out;
    EXPECT_EQ(GetParam().verifiesDatabase,
              upload.out.find("waypoints and routes written and verified\n") != std::string::npos)
        << upload.out;
    // Said before writing, as the application lists it: a pilot of 49 characters is cut.
    EXPECT_NE(upload.err.find("kelvo-cli: not kept as it stands: Pilot 1 is cut to"),
              std::string::npos)
        << upload.err;

    LoggerData readBack;
    formatOf("x.cup")->parseFile(m_environment.file("before.cup"), readBack);
    EXPECT_EQ(upperNames(readBack.waypoints()),
              (std::vector<std::string>{"ALB", "BRENZ", "DONAU", "ECK", "FILS"}));
    ASSERT_EQ(readBack.routes().size(), 1u);
    EXPECT_EQ(upperNames(readBack.routes()[0]->waypoints()),
              (std::vector<std::string>{"ECK", "BRENZ", "ECK"}));

    const json declaration = cliJson("declaration");
    EXPECT_TRUE(toUpperAscii(declaration["pilot1"].get<std::string>()).starts_with("BEN OTT-"));
    EXPECT_EQ(declaration["gliderID"], "D-1234");
    EXPECT_EQ(toUpperAscii(declaration["gliderType"].get<std::string>()), "LS8-18") << declaration;
    EXPECT_EQ(declaration["competitionClass"], "Club");
    ASSERT_EQ(declaration["task"].size(), 3u);
    EXPECT_EQ(declaration["task"][1]["name"], "BRENZ");
    EXPECT_NEAR(declaration["task"][1]["latitude"].get<double>(), 48.62, 1e-4);
}

// Every value goes to the recorder's units and back to the nearest one on each save, so the
// first save may round what was typed, and no later one changes anything.
TEST_P(RecorderCommands, SavingAgainAndAgainChangesNothingAfterTheFirstSave) {
    if (!GetParam().keepsDatabase) GTEST_SKIP() << "keeps no database";
    // Thirty sessions: the LX's pauses are run faster too.
    if (GetParam().alias == "lx") setenv("KELVO_DELAY_SCALE", "0.1", 1);
    startSimulator();
    ASSERT_EQ(cli("database", {"--output", "0.cup"}).status, 0);
    std::string declaration = cli("declaration", {"--json"}).out;
    for (int save = 1; save <= 10; ++save) {
        const std::string before = std::to_string(save - 1) + ".cup";
        const std::string after = std::to_string(save) + ".cup";
        writeFile(m_environment.file("declaration.json"), declaration);
        const CliRun upload =
            cli("upload", {"--waypoints", before, "--declaration", "declaration.json"});
        ASSERT_EQ(upload.status, 0) << upload.err;
        ASSERT_EQ(cli("database", {"--output", after}).status, 0);
        const std::string readBack = cli("declaration", {"--json"}).out;
        if (save > 1) {
            EXPECT_EQ(readFile(m_environment.file(after)), readFile(m_environment.file(before)))
                << "save " << save;
            EXPECT_EQ(readBack, declaration) << "save " << save;
        }
        declaration = readBack;
    }
}

TEST_P(RecorderCommands, UploadNamesTheFieldTheRecorderDidNotKeep) {
    if (!GetParam().keepsDeclaration) GTEST_SKIP() << "keeps no declaration";
    startSimulator({"--fault", "declaration"});
    writeChangedDatabase(m_environment.file("changed.cup"));
    writeFile(m_environment.file("declaration.json"), R"({"pilot1": "Ben Ott"})");
    std::vector<std::string> options{"--declaration", "declaration.json"};
    if (GetParam().keepsDatabase) options.insert(options.end(), {"--waypoints", "changed.cup"});
    const CliRun upload = cli("upload", options);
    EXPECT_EQ(upload.status, 1);
    const std::string failure = afterUnkeptList(upload.err);
    EXPECT_EQ(lineCount(failure), 1u) << upload.err;
    EXPECT_NE(failure.find("Pilot 1 meant"), std::string::npos) << upload.err;
    EXPECT_EQ(failure.find("Glider"), std::string::npos) << upload.err;
}

// The simulator keeps the last waypoint of a written database 100 m lower.
TEST_P(RecorderCommands, UploadNamesTheWaypointTheRecorderDidNotKeepAndWritesNoDeclaration) {
    if (!GetParam().verifiesDatabase) GTEST_SKIP() << "does not read a written database back";
    startSimulator({"--fault", "database"});
    const std::string pilotBefore = cliJson("declaration")["pilot1"];
    writeChangedDatabase(m_environment.file("changed.cup"));
    writeFile(m_environment.file("declaration.json"), R"({"pilot1": "Ben Ott"})");
    const CliRun upload =
        cli("upload", {"--waypoints", "changed.cup", "--declaration", "declaration.json"});
    EXPECT_EQ(upload.status, 1);
    EXPECT_EQ(lineCount(afterUnkeptList(upload.err)), 1u) << upload.err;
    EXPECT_NE(upload.err.find("Waypoint 5 \"FILS\" meant elevation 600 m, recorder holds 500 m"),
              std::string::npos)
        << upload.err;
    EXPECT_EQ(cliJson("declaration")["pilot1"], pilotBefore);
}

// A family that keeps a declaration but no waypoints takes the declaration alone; names
// beyond its task budget are shortened and listed before anything is written.
TEST_P(RecorderCommands, DeclaresATaskWithoutWaypoints) {
    if (GetParam().keepsDatabase) GTEST_SKIP() << "takes a declaration with its waypoints";
    ::setenv("KELVO_DELAY_SCALE", "0.1", 1);
    std::string task;
    for (const char* name : {"Klippeneck Segelfluggelaende", "Hohenzollern Burg Hechingen",
                             "Hohenzollern Bahnhof Hechingen", "Laichingen Schwaebische Alb",
                             "Ellwangen Stadtmitte Marktplatz", "Hahnweide Kirchheim unter Teck",
                             "Klippeneck Segelfluggelaende"}) {
        task += std::string(task.empty() ? "" : ",") + R"({"name": ")" + name +
                R"(", "latitude": 48.5, "longitude": 9.0})";
    }
    writeFile(m_environment.file("declaration.json"),
              R"({"pilot1": "Jürgen Ott", "gliderID": "D-1234", "task": [)" + task + "]}");
    startSimulator();
    const CliRun upload = cli("upload", {"--declaration", "declaration.json"});
    ASSERT_EQ(upload.status, 0) << upload.err;
    EXPECT_EQ(upload.out,
              "wrote the declaration\nthe Flarm was restarted so that the declaration takes "
              "effect\ndeclaration written and verified\n");
    EXPECT_NE(upload.err.find("task point 2 \"Hohenzollern Burg Hechingen\" is written as "
                              "\"Hohenzoller1\""),
              std::string::npos)
        << upload.err;
    const json declaration = cliJson("declaration");
    EXPECT_EQ(declaration["pilot1"], "Jurgen Ott");
    ASSERT_EQ(declaration["task"].size(), 7u);
    EXPECT_EQ(declaration["task"][2]["name"], "Hohenzoller2");

    const CliRun cleared = cli("upload", {"--clear-task", "--no-restart"});
    ASSERT_EQ(cleared.status, 0) << cleared.err;
    EXPECT_NE(cleared.out.find("was not restarted"), std::string::npos) << cleared.out;
    EXPECT_EQ(cliJson("declaration")["task"].size(), 0u);
    writeChangedDatabase(m_environment.file("changed.cup"));
    const CliRun waypoints = cli("upload", {"--waypoints", "changed.cup"});
    EXPECT_EQ(waypoints.status, 1);
    EXPECT_NE(waypoints.err.find("keeps no waypoints"), std::string::npos) << waypoints.err;

    for (const auto& [fault, reason] :
         {std::pair{"newtask", "the Flarm refused NEWTASK,Task with \"$PFLAC,A,ERROR\""},
          std::pair{"licence", "this FLARM has no IGC licence"}}) {
        m_simulator.reset();
        startSimulator({"--fault", fault});
        const CliRun refused = cli("upload", {"--declaration", "declaration.json"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(reason), std::string::npos) << refused.err;
    }
}

TEST_P(RecorderCommands, SilentRecorderFailsWithOneLine) {
    startSimulator({"--fault", "silent"});
    // Nothing answers, so no reply can come too late: the waits may be short.
    ::setenv("KELVO_DELAY_SCALE", "0.05", 1);
    const CliRun run = cli("info");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(lineCount(run.err), 1u) << run.err;
    EXPECT_EQ(m_simulator->stop(), 0);
    EXPECT_FALSE(
        std::filesystem::exists(m_environment.folder() / "kelvo/ports" / GetParam().portName));
}

TEST_P(RecorderCommands, RefusesWhatIsNoSerialPortAndLeavesItUntouched) {
    const auto flight = m_environment.file("good.igc");
    writeFile(flight, "AXXXABC\r\nHFDTE071009\r\n");
    std::filesystem::create_symlink(m_environment.file("gone"), m_environment.file("dangling"));
    for (const std::string& port : {flight.string(), m_environment.folder().string(),
                                   std::string("/dev/null"), m_environment.file("dangling").string()}) {
        const CliRun run = m_environment.cli({"info", "--type", GetParam().alias, "--port", port});
        EXPECT_EQ(run.status, 1) << port;
        EXPECT_EQ(lineCount(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(port), std::string::npos) << run.err;
    }
    EXPECT_EQ(readFile(flight), "AXXXABC\r\nHFDTE071009\r\n");
    EXPECT_FALSE(std::filesystem::exists(m_environment.file("gone")));
}

TEST_P(RecorderCommands, SecondProgramOnABusyPortIsToldAtOnce) {
    startSimulator();
    const auto driver = LoggerFactory::shared().loggerInstanceWithName(GetParam().loggerName);
    ASSERT_TRUE(driver->connect(m_simulator->devicePath()).ok());

    const auto start = std::chrono::steady_clock::now();
    const CliRun run = cli("flights");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("in use"), std::string::npos) << run.err;

    driver->readDirectory(true);
    EXPECT_EQ(driver->loggerData().flightDirectory().size(), smallDemo().flights.size());
    driver->disconnect();
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, RecorderCommands, testing::ValuesIn(kFamilies),
                         [](const auto& info) { return info.param.alias; });

// An LXNAV, named by its model, lists its flights newest first and delivers a file that
// passes the IGC check; a declaration written to it is verified by reading it back.
TEST(LXNAVCommands, ListsDownloadsAndDeclaresByItsModelsName) {
    ToolEnvironment environment;
    SimulatorProcess simulator({"lxnav", "--small"});
    ASSERT_FALSE(simulator.devicePath().empty());
    const auto cli = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"--type", "nano3", "--port", "Simulated LXNAV"});
        return environment.cli(arguments);
    };
    const CliRun flights = cli({"flights", "--json"});
    ASSERT_EQ(flights.status, 0) << flights.err;
    const json list = json::parse(flights.out);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]["number"], "3");
    EXPECT_EQ(list[2]["date"], "2026-05-14T10:38:30Z");

    const CliRun download = cli({"download", "--flight", "1", "--output", "oldest.igc"});
    ASSERT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(environment.cli({"check", "oldest.igc"}).out, "oldest.igc: ok\n");

    writeFile(environment.file("declaration.json"), R"({"pilot1": "Ben Ott"})");
    const CliRun upload = cli({"upload", "--declaration", "declaration.json"});
    EXPECT_EQ(upload.status, 0) << upload.err;
    EXPECT_NE(upload.out.find("written and verified"), std::string::npos) << upload.out;
}

}  // namespace
}  // namespace kelvo::cli::test
