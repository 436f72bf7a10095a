#include <gtest/gtest.h>

#include <sys/stat.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "LoggerAccess/LoggerData.h"
#include "ToolProcess.h"
#include "base/Text.h"
#include "files/FileFactory.h"
#include "files/ImportFile.h"
#include "geo/Waypoint.h"
#include "sim/demo/DemoContent.h"
#include "sim/demo/DemoIgc.h"
#include "sim/demo/DemoLXFlight.h"

namespace kelvo::cli::test {
namespace {

using nlohmann::json;

const sim::DemoFlight& demoFlight() {
    return smallDemo().flights.front();
}

std::vector<std::string> bRecords(const std::string& igc) {
    std::vector<std::string> lines;
    std::istringstream stream(igc);
    for (std::string line; std::getline(stream, line);) {
        if (line.starts_with("B")) lines.push_back(line);
    }
    return lines;
}

// The trace's fixes are the flight's, to the resolution of the file; a two-dimensional
// fix has no altitude.
void expectFixesOf(const json& trace, const sim::DemoFlight& flight) {
    ASSERT_EQ(trace["fixCount"], flight.fixes.size());
    ASSERT_EQ(trace["fixes"].size(), flight.fixes.size());
    for (std::size_t i = 0; i < flight.fixes.size(); ++i) {
        const json& fix = trace["fixes"][i];
        EXPECT_NEAR(fix["latitude"].get<double>(), flight.fixes[i].latitude, 1.0 / 60000);
        EXPECT_NEAR(fix["longitude"].get<double>(), flight.fixes[i].longitude, 1.0 / 60000);
        EXPECT_EQ(fix["elevation"], flight.fixes[i].valid ? flight.fixes[i].gpsAltitude : 0);
    }
}

TEST(IgcCommand, DescribesTheTraceAsOneJsonDocument) {
    ToolEnvironment environment;
    const sim::DemoRecorder recorder;
    writeFile(environment.file("flight.igc"), sim::demoIgcFile(demoFlight(), recorder));

    const CliRun run = environment.cli({"igc", "flight.igc", "--json", "--fixes"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json trace = json::parse(run.out);
    EXPECT_EQ(trace["fileName"], "flight.igc");
    EXPECT_EQ(trace["date"], "2026-05-14");
    EXPECT_EQ(trace["header"]["PLT"], "PILOTINCHARGE:Anna Keller");
    ASSERT_EQ(trace["task"].size(), demoFlight().task.size() + 2);
    EXPECT_EQ(trace["task"][1]["name"], "KLIPPENE");
    EXPECT_EQ(trace["fixes"][0]["time"], "2026-05-14T10:38:30Z");
    expectFixesOf(trace, demoFlight());

    const CliRun brief = environment.cli({"igc", "flight.igc", "--json"});
    EXPECT_FALSE(json::parse(brief.out).contains("fixes"));
    const json& statistics = trace["statistics"];
    EXPECT_GE(statistics["takeoff"].get<std::string>(), "2026-05-14T10:38:30Z");
    EXPECT_GT(statistics["flightTime"], 0);
    EXPECT_GT(statistics["distanceFlown"], statistics["greatestDistanceFromTakeoff"]);
    EXPECT_GT(statistics["highestAltitude"], statistics["lowestAltitude"]);
    EXPECT_GE(statistics["freeDistance"], statistics["greatestDistanceFromTakeoff"]);
    ASSERT_EQ(statistics["freeDistancePoints"].size(), 5u);
    EXPECT_GE(statistics["freeDistancePoints"][4]["time"],
              statistics["freeDistancePoints"][0]["time"]);
}

// The files' contents are tested in the core; here the names and an existing target.
TEST(ExportCommand, WritesBesideTheFlightAndReplacesOnlyWhenAsked) {
    ToolEnvironment environment;
    writeFile(environment.file("flight.igc"), sim::demoIgcFile(demoFlight(), sim::DemoRecorder{}));
    const CliRun kml = environment.cli({"export", "flight.igc", "--to", "KML"});
    ASSERT_EQ(kml.status, 0) << kml.err;
    EXPECT_NE(readFile(environment.file("flight.kml")).find("<gx:Track>"), std::string::npos);

    writeFile(environment.file("taken.gpx"), "mine");
    const CliRun refused =
        environment.cli({"export", "flight.igc", "--to", "gpx", "--output", "taken.gpx"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("--replace"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(environment.file("taken.gpx")), "mine");
    EXPECT_EQ(
        environment
            .cli({"export", "flight.igc", "--to", "gpx", "--output", "taken.gpx", "--replace"})
            .status,
        0);
    EXPECT_NE(readFile(environment.file("taken.gpx")).find("<trkpt"), std::string::npos);
    EXPECT_EQ(environment.cli({"export", "flight.igc", "--to", "kmz"}).status, 2);
}

// The values themselves are tested on the logbook of the core; here the command's shape.
TEST(LogbookCommand, ListsTheFolderNewestFirstAgainFromItsIndex) {
    ToolEnvironment environment;
    std::filesystem::create_directories(environment.file("flights/2026"));
    const sim::DemoRecorder recorder;
    std::vector<std::string> names;
    for (const auto& flight : smallDemo().flights) {
        names.push_back("2026/" + sim::demoIgcFileName(flight, recorder));
        writeFile(environment.file("flights/" + names.back()), sim::demoIgcFile(flight, recorder));
    }
    for (int run = 0; run < 2; ++run) {  // the second from the index
        const CliRun listing = environment.cli({"logbook", "flights", "--json"});
        ASSERT_EQ(listing.status, 0) << listing.err;
        const json entries = json::parse(listing.out);
        ASSERT_EQ(entries.size(), names.size());
        EXPECT_EQ(entries[0]["file"], names.back());  // the demo flights are in date order
        EXPECT_EQ(entries[0]["pilot"], "Anna Keller");
        EXPECT_EQ(entries[0]["registration"], smallDemo().flights.back().gliderId);
        EXPECT_GT(entries[0]["distance"], entries[0]["freeDistance"]);
        EXPECT_GT(entries[0]["freeDistance"], 0);
    }
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(environment.file("cache/kelvo")), {}), 1);

    // A file that is no flight is left out of the listing, named and counted.
    writeFile(environment.file("flights/2026/notes.igc"), "Bring the barograph\n");
    const CliRun withNotes = environment.cli({"logbook", "flights", "--json"});
    EXPECT_EQ(withNotes.status, 1);
    EXPECT_EQ(json::parse(withNotes.out).size(), names.size());
    EXPECT_EQ(withNotes.err,
              "kelvo-cli: 2026/notes.igc is not an IGC file (it does not begin with an A "
              "record)\nkelvo-cli: 1 file could not be read\n");
    EXPECT_EQ(environment.cli({"igc", "flights/2026/notes.igc"}).err,
              "kelvo-cli: flights/2026/notes.igc is not an IGC file (it does not begin with an "
              "A record)\n");

    EXPECT_EQ(environment.cli({"logbook", "missing"}).status, 1);
}

TEST(CheckCommand, SaysOkOrNamesEachProblemPerFile) {
    ToolEnvironment environment;
    const std::string igc = sim::demoIgcFile(demoFlight(), {});
    writeFile(environment.file("good.igc"), igc);
    writeFile(environment.file("headless.igc"), igc.substr(igc.find('\n') + 1));

    const CliRun run = environment.cli({"check", "good.igc", "headless.igc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "good.igc: ok\nheadless.igc: line 1: the file does not begin with an A record\n");
    const CliRun asJson = environment.cli({"check", "good.igc", "headless.igc", "--json"});
    EXPECT_EQ(json::parse(asJson.out), json::parse(R"({"good.igc": [], "headless.igc": [{"line": 1,
                              "reason": "the file does not begin with an A record"}]})"));
    EXPECT_EQ(environment.cli({"check", "good.igc"}).status, 0);
    EXPECT_EQ(environment.cli({"check"}).status, 2);
}

std::string noise(std::size_t size) {
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

// A failed run says why on one line of standard error and writes nothing else.
void expectFailure(const CliRun& run, const std::string& reason) {
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
}

TEST(ConvertCommand, RefusesIncompleteFlightsAndKeepsTheEarlierFileUnlessPartial) {
    ToolEnvironment environment;
    const Bytes native = sim::demoLXNativeFlight(demoFlight()).bytes();
    writeFile(environment.file("flight.LXN"), std::string(native.begin(), native.end()));
    writeFile(environment.file("cut.LXN"), std::string(native.begin(), native.begin() + 2000));
    writeFile(environment.file("noise.LXN"), noise(100000));
    ASSERT_EQ(environment.cli({"convert", "flight.LXN", "flight.igc"}).status, 0);
    const std::string good = readFile(environment.file("flight.igc"));
    // A recorder's file goes on past the end record, with the rest of its memory block.
    Bytes memory = native;
    memory.resize(native.size() + 4096, 0xFF);
    writeFile(environment.file("memory.FIL"), std::string(memory.begin(), memory.end()));
    const CliRun withMemory = environment.cli({"convert", "memory.FIL", "memory.igc"});
    ASSERT_EQ(withMemory.status, 0) << withMemory.err;
    EXPECT_EQ(readFile(environment.file("memory.igc")), good);

    for (const std::string source : {"cut.LXN", "noise.LXN"}) {
        expectFailure(environment.cli({"convert", source, "flight.igc"}),
                      source + " is not a complete flight");
        EXPECT_EQ(readFile(environment.file("flight.igc")), good) << source;
    }
    // What there is of it is no silent replacement of the whole flight either.
    const CliRun kept = environment.cli({"convert", "cut.LXN", "flight.igc", "--partial"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_TRUE(
        kept.err.ends_with("kelvo-cli: flight.igc exists with other content; --replace "
                           "replaces it, --keep-both keeps both\n"))
        << kept.err;
    EXPECT_EQ(readFile(environment.file("flight.igc")), good);
    const CliRun partial =
        environment.cli({"convert", "cut.LXN", "flight.igc", "--partial", "--replace"});
    ASSERT_EQ(partial.status, 0) << partial.err;
    EXPECT_NE(partial.err.find("converted what there is"), std::string::npos) << partial.err;
    const auto fixes = bRecords(readFile(environment.file("flight.igc")));
    const auto allFixes = bRecords(good);
    ASSERT_FALSE(fixes.empty());
    ASSERT_LT(fixes.size(), allFixes.size());
    // The last fix may be one the cut ran through.
    EXPECT_TRUE(std::equal(fixes.begin(), fixes.end() - 1, allFixes.begin()));
}

// The waypoints of a file, read by its format.
WaypointList waypointsOf(const std::filesystem::path& path) {
    FileFactory& factory = FileFactory::shared();
    if (factory.getRegisteredFiles().empty()) factory.registerBuiltinFiletypes();
    LoggerData data;
    factory.getFileInstanceWithExtension(path.extension().string())->parseFile(path, data);
    return data.waypoints();
}

// A line whose position cannot be read fails the file, naming it; --skip-bad-lines takes the
// rest and lists what it skipped. 60.000 minutes is a rounding of 59.9996 that files hold.
TEST(ConvertCommand, WaypointFilesWithUnreadableLinesFailUnlessSkipped) {
    ToolEnvironment environment;
    writeFile(environment.file("bad.cup"),
              "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\n"
              "\"Rounded\",RND,DE,4760.000N,00831.200E,95.0m,1,0,0.0m,,\n"
              "\"Over\",OVR,DE,4760.500N,00831.200E,95.0m,1,0,0.0m,,\n"
              "\"Hex\",HEX,DE,47AB.000N,00831.200E,95.0m,1,0,0.0m,,\n"
              "\"Empty\",EMP,DE,,00831.200E,95.0m,1,0,0.0m,,\n"
              "\"Nowhere\",NOW,DE,4719.500X,00831.200E,95.0m,1,0,0.0m,,\n"
              "\"East\",EST,DE,4719.500N,00831.200N,95.0m,1,0,0.0m,,\n");
    expectFailure(environment.cli({"convert", "bad.cup", "out.dbt"}),
                  "bad.cup: line 3: \"Over\" has no readable latitude (\"4760.500N\") (and 4 "
                  "more lines); --skip-bad-lines takes the rest");
    EXPECT_FALSE(std::filesystem::exists(environment.file("out.dbt")));

    const CliRun skipped = environment.cli({"convert", "bad.cup", "out.dbt", "--skip-bad-lines"});
    ASSERT_EQ(skipped.status, 0) << skipped.err;
    for (const std::string line :
         {"line 3: \"Over\"", "line 4: \"Hex\"", "line 5: \"Empty\"", "line 6: \"Nowhere\"",
          "line 7: \"East\" has no readable longitude"}) {
        EXPECT_NE(skipped.err.find("kelvo-cli: skipped bad.cup " + line), std::string::npos)
            << skipped.err;
    }
    const WaypointList taken = waypointsOf(environment.file("out.dbt"));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_DOUBLE_EQ(taken[0]->latitudeDegrees(), 48.0);
}

TEST(ConvertCommand, WaypointFilesWithoutWaypointsFail) {
    ToolEnvironment environment;
    writeFile(environment.file("empty.cup"), "");
    writeFile(environment.file("noise.cup"), noise(5000));
    for (const std::string source : {"empty.cup", "noise.cup"}) {
        expectFailure(environment.cli({"convert", source, "out.dbt"}), "no waypoint");
        EXPECT_FALSE(std::filesystem::exists(environment.file("out.dbt")));
    }
}

// Devices, folders and pipes are refused before anything is read (a pipe without a writer
// would block, /dev/zero never ends), and so is a file over the size limit.
TEST(FileInputs, OnlyRegularFilesWithinTheLimitAreRead) {
    ToolEnvironment environment;
    std::filesystem::create_symlink("/dev/zero", environment.file("zero.cup"));
    std::filesystem::create_directory(environment.file("folder.igc"));
    ASSERT_EQ(::mkfifo(environment.file("pipe.LXN").c_str(), 0600), 0);
    writeFile(environment.file("huge.igc"), "");
    std::filesystem::resize_file(environment.file("huge.igc"), (64 << 20) + 1);

    const std::vector<std::vector<std::string>> refused{{"igc", "/dev/zero"},
                                                        {"convert", "zero.cup", "out.dbt"},
                                                        {"igc", "folder.igc", "--json"},
                                                        {"convert", "pipe.LXN", "out.igc"}};
    for (const auto& arguments : refused) {
        expectFailure(environment.cli(arguments), arguments[1] + ": not a regular file");
    }
    expectFailure(environment.cli({"igc", "huge.igc"}), "huge.igc: larger than the 64 MiB");
}

TEST(ConvertCommand, CarriesWaypointsBetweenEveryPairOfFormats) {
    ToolEnvironment environment;
    const auto content = sim::DemoContent::make(sim::DemoSize::Small);
    {
        FileFactory::shared().registerBuiltinFiletypes();
        LoggerData data;
        data.setWaypoints(content.waypoints);
        data.setRoutes(content.routes);
        ASSERT_TRUE(FileFactory::shared().getFileInstanceWithExtension("CUP")->makeFile(
            environment.file("demo.cup"), &data));
    }
    // Every format is written from every other one, itself written from the demo file.
    const std::vector<std::string> formats{"cup", "dbt", "da4"};
    for (const auto& from : formats) {
        ASSERT_EQ(environment.cli({"convert", "demo.cup", "from-demo." + from}).status, 0);
        for (const auto& to : formats) {
            const std::string target = from + "-to." + to;
            if (to == from) continue;
            const CliRun run = environment.cli({"convert", "from-demo." + from, target});
            ASSERT_EQ(run.status, 0) << target << ": " << run.err;
            const WaypointList converted = waypointsOf(environment.file(target));
            ASSERT_EQ(converted.size(), content.waypoints.size()) << target;
            for (std::size_t i = 0; i < converted.size(); ++i) {
                const Waypoint& expected = *content.waypoints[i];
                // Some formats keep shorter names, in upper case.
                EXPECT_TRUE(!converted[i]->name().empty() &&
                            toUpperAscii(expected.name()).starts_with(toUpperAscii(converted[i]->name())))
                    << target << ": " << converted[i]->name() << " for " << expected.name();
                EXPECT_NEAR(converted[i]->latitudeDegrees(), expected.latitudeDegrees(), 5e-5);
                EXPECT_NEAR(converted[i]->longitudeDegrees(), expected.longitudeDegrees(), 5e-5);
            }
        }
    }
}

}  // namespace
}  // namespace kelvo::cli::test
