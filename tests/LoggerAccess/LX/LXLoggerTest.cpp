#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "../TempFolder.h"
#include "LoggerAccess/LX/LXFaiData.h"
#include "LoggerAccess/LX/LXLoggerInternals.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "base/Delay.h"
#include "base/Format.h"
#include "base/Log.h"
#include "geo/Declaration.h"
#include "geo/Route.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "geo/Waypoint.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

constexpr std::uint32_t kRingStart = 8 * 32768;
constexpr std::uint32_t kRingEnd = 16 * 32768;

std::string text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::shared_ptr<Waypoint> waypoint(const std::string& name, double latitude, double longitude) {
    return Waypoint::fromDegrees(name, latitude, longitude, 450);
}

// A flight as the recorder writes it: header, task, extensions and a fix per second.
sim::LXNativeFlightEncoder encodedFlight(int fixes) {
    sim::LXNativeFlightEncoder flight;
    flight.flightNumber(3)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation({"Hans", "LS8", "D-1234", "XY", 0, 100, 25, "uBlox"})
        .bExtensionMask(0x2001)
        .origin(32700, 2850000, 495000);
    for (int i = 0; i < fixes; ++i) {
        flight.fix(32700 + i, 2850000 + i, 495000 - i, 500, 520)
            .bExtensionValues({12, static_cast<std::uint16_t>(i % 1000)});
    }
    flight.security(0x0D, Bytes(64, 0xAB)).end();
    return flight;
}

class LXLoggerTest : public ::testing::Test {
  protected:
    sim::LXEmulatedFlight storedFlight(const sim::LXNativeFlightEncoder& encoder,
                                       std::uint16_t number = 3) {
        sim::LXEmulatedFlight flight;
        flight.native = encoder.bytes();
        flight.securityBlock = encoder.lengthTable();
        flight.flightNumber = number;
        return flight;
    }

    void expectDeclarationRoundTrip(int competitionClass, int razred, const std::string& className);

    void connectAndReadDirectory() {
        ASSERT_TRUE(logger.connect(line.slavePath()));
        logger.readDirectory(false);
    }

    ScopedDelayScale scale{0.02};
    TempFolder temp;
    const std::filesystem::path& folder = temp.path();
    sim::PseudoTerminal line;
    sim::LXRecorderEmulator recorder{line, 38400};
    LXLoggerInternals logger;
};

TEST_F(LXLoggerTest, IdentificationTakesVersionSerialAndKeyLines) {
    recorder.setIdentification(
        "LX Nano\r\nVersion 2.10\r\nSN1234,HW5.1\r\nPilot:Hans\r\nBad:two:colons\r\nGPS:uBlox");
    ASSERT_TRUE(logger.connect(line.slavePath()));
    logger.readInfo();
    const LoggerInfo expected = {{"Version", "2.10"},
                                 {"Serial number", "1234 (0YA)"},
                                 {"Hardware version", "5.1"},
                                 {"Pilot", "Hans"},
                                 {"GPS", "uBlox"}};
    EXPECT_EQ(logger.loggerData().loggerInfo(), expected);
}

TEST_F(LXLoggerTest, SilentIdentificationFallsBackToTheDeclaration) {
    Declaration declaration;
    declaration.setPilot1("Anna");
    declaration.setGliderType("Discus");
    declaration.setGliderID("D-4711");
    declaration.setCompetitionID("AB");
    declaration.setCompetitionClass(2);
    recorder.setDeclaration(declaration);
    ASSERT_TRUE(logger.connect(line.slavePath()));
    logger.readInfo();
    const LoggerInfo expected = {{"Pilot", "Anna"},
                                 {"Glider Type", "Discus"},
                                 {"Competition ID", "AB"},
                                 {"Competition Class", "Standard"},
                                 {"Registration", "D-4711"}};
    EXPECT_EQ(logger.loggerData().loggerInfo(), expected);
}

TEST_F(LXLoggerTest, DirectoryListsFlightsAndSkipsRecordWithBadCrc) {
    CapturingLogSink log;
    for (std::uint16_t number = 1; number <= 3; ++number) {
        recorder.addFlight(storedFlight(encodedFlight(5), number));
    }
    recorder.corruptDirectoryRecord(1);
    connectAndReadDirectory();
    const auto& directory = logger.loggerData().flightDirectory();
    ASSERT_EQ(directory.size(), 2u);
    EXPECT_EQ(directory[0].number, "0");
    EXPECT_EQ(directory[1].number, "1");
    EXPECT_EQ(directory[0].filename, "9A7L0011.LXN");
    EXPECT_EQ(directory[1].filename, "9A7L0013.LXN");
    EXPECT_EQ(directory[0].takeoff, "1");
    EXPECT_EQ(directory[0].duration, "04:15:30");
    EXPECT_EQ(directory[0].pilot, "Hans Muster");
    EXPECT_TRUE(directory[0].driverRecord.has_value());
    EXPECT_TRUE(log.contains("CRC calculation failed on LX FAI Data."));
}

// The list ends at a record whose first byte is not 1 (an empty recorder sends one record of
// zero bytes); a damaged byte anywhere, the first byte and the last record included, fails
// the list with the entries that came whole before it.
TEST_F(LXLoggerTest, DirectoryFailsAtADamagedRecordWithTheEntriesThatCameWhole) {
    ASSERT_TRUE(logger.connect(line.slavePath()));
    EXPECT_TRUE(logger.readDirectory(false));
    EXPECT_TRUE(logger.loggerData().flightDirectory().empty());

    for (std::uint16_t number = 1; number <= 4; ++number) {
        recorder.addFlight(storedFlight(encodedFlight(5), number));
    }
    struct Damage {
        std::size_t record, offset;
        std::uint8_t value;
        std::size_t whole;
    };
    const Damage damages[] = {
        {1, 0, 0, 1},     // "no flight" where a flight stands
        {1, 0, 2, 1},     // "last flight" where more follow
        {3, 0, 0, 3},     // the last record's first byte
        {3, 50, 'X', 3},  // the last record's pilot
    };
    for (const Damage& damage : damages) {
        recorder.damageDirectoryRecord(damage.record, damage.offset, damage.value);
        const Outcome outcome = logger.readDirectory(false);
        EXPECT_FALSE(outcome) << "record " << damage.record << " byte " << damage.offset;
        EXPECT_NE(outcome.reason().find(stringf("%zu entries came whole", damage.whole)),
                  std::string::npos)
            << outcome.reason();
        EXPECT_EQ(logger.loggerData().flightDirectory().size(), damage.whole);
    }
}

TEST_F(LXLoggerTest, OperationsThatGiveUpEarlyKeepThePingsGoing) {
    ASSERT_TRUE(logger.connect(line.slavePath()));
    EXPECT_FALSE(logger.readFile(folder / "none.LXN", 0, false, false, nullptr));
    EXPECT_TRUE(logger.timerRunning());
    const FlightEntry withoutData;
    EXPECT_FALSE(logger.readFile(folder / "none.LXN", 0, false, false, &withoutData));
    EXPECT_TRUE(logger.timerRunning());
    recorder.setSilent(true);
    logger.readDirectory(false);
    EXPECT_TRUE(logger.timerRunning());
}

TEST_F(LXLoggerTest, DownloadsIgcConversionOfExactlyTheSecuredFlightBytes) {
    const auto encoder = encodedFlight(20);
    recorder.addFlight(storedFlight(encoder));
    connectAndReadDirectory();
    std::vector<Progress> progress;
    logger.setProgressHandler([&](const Progress& step) { progress.push_back(step); });
    EXPECT_TRUE(logger.readFile(folder / "flight.LXN", 0, true, true,
                                &logger.loggerData().flightDirectory()[0]));
    LXTrackFile expected(encoder.secureBytes());
    expected.translateToIGC();
    EXPECT_TRUE(readText(folder / "flight.IGC") == expected.igcData());
    EXPECT_FALSE(std::filesystem::exists(folder / "flight.LXN"));
    EXPECT_NE(expected.igcData().find("G0ABABAB"), std::string::npos);
    ASSERT_TRUE(logger.loggerData().flightWithKey(0));
    EXPECT_TRUE(*logger.loggerData().flightWithKey(0) == encoder.secureBytes());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back().bytes, encoder.bytes().size());
    EXPECT_DOUBLE_EQ(progress.back().fraction.value_or(0), 1.0);
}

TEST_F(LXLoggerTest, LongFlightIsReadInPiecesAndWrappedFlightInOneRequest) {
    const auto wrapped = encodedFlight(300);
    const auto longFlight = encodedFlight(1000);  // about 15 kB: two pieces
    recorder.addFlight(storedFlight(wrapped, 1), kRingEnd - 1000);
    const std::uint32_t longStart = recorder.addFlight(storedFlight(longFlight, 2));
    connectAndReadDirectory();
    ASSERT_EQ(logger.loggerData().flightDirectory().size(), 2u);

    EXPECT_TRUE(logger.readFile(folder / "a.LXN", 0, false, false,
                                &logger.loggerData().flightDirectory()[0]));
    EXPECT_TRUE(readText(folder / "a.LXN") == text(wrapped.bytes()));
    ASSERT_EQ(recorder.selections().size(), 1u);
    EXPECT_EQ(recorder.selections()[0].start, kRingEnd - 1000);
    EXPECT_EQ(recorder.selections()[0].end, longStart);

    EXPECT_TRUE(logger.readFile(folder / "b.LXN", 1, false, false,
                                &logger.loggerData().flightDirectory()[1]));
    EXPECT_TRUE(readText(folder / "b.LXN") == text(longFlight.bytes()));
    const auto pieces = recorder.selections();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[1].start, longStart);
    EXPECT_EQ(pieces[1].end, longStart + 8192);
    EXPECT_EQ(pieces[2].start, longStart + 8192);
    EXPECT_EQ(pieces[2].end, longStart + longFlight.bytes().size());
}

Declaration declarationWithTask(int competitionClass) {
    Declaration declaration;
    declaration.setPilot1("Anna Flieger");
    declaration.setPilot3("Observer");
    declaration.setPilot4("uBlox");
    declaration.setGliderType("Discus 2");
    declaration.setGliderID("D-4711");
    declaration.setCompetitionID("AB");
    declaration.setCompetitionClass(competitionClass);
    declaration.setLXFlag(0x5A);
    declaration.setHomePoint(waypoint("HOME", 47.5, 8.25));
    auto task = std::make_shared<Task>();
    for (const auto& point : {waypoint("START", 47.6, 8.3), waypoint("TP", 47.9, 8.9),
                              waypoint("FINISH", 47.6, 8.31)}) {
        task->addTurnpoint(std::make_shared<Turnpoint>(*point), -1);
    }
    declaration.setTask(task);
    return declaration;
}

void expectSameDeclaration(const Declaration& actual, const Declaration& expected) {
    EXPECT_EQ(actual.pilot1(), expected.pilot1());
    EXPECT_EQ(actual.pilot3(), expected.pilot3());
    EXPECT_EQ(actual.pilot4(), expected.pilot4());
    EXPECT_EQ(actual.gliderType(), expected.gliderType());
    EXPECT_EQ(actual.gliderID(), expected.gliderID());
    EXPECT_EQ(actual.competitionID(), expected.competitionID());
    EXPECT_EQ(actual.competitionClass(), expected.competitionClass());
    EXPECT_EQ(actual.lxFlag(), expected.lxFlag());
    ASSERT_TRUE(actual.homePoint());
    EXPECT_EQ(actual.homePoint()->name(), "HOME");
    ASSERT_TRUE(actual.task());
    ASSERT_EQ(actual.task()->numOfTurnpoints(), expected.task()->numOfTurnpoints());
    for (std::size_t i = 0; i < expected.task()->numOfTurnpoints(); ++i) {
        EXPECT_EQ(actual.task()->turnpoint(i)->name(), expected.task()->turnpoint(i)->name());
        EXPECT_TRUE(actual.task()->turnpoint(i)->isEqualTo(*expected.task()->turnpoint(i)));
    }
}

// Writes a declaration of the class on a fresh connection and reads it back whole.
void LXLoggerTest::expectDeclarationRoundTrip(int competitionClass, int razred,
                                              const std::string& className) {
    const Declaration written = declarationWithTask(competitionClass);
    *logger.loggerData().declaration() = written;
    ASSERT_TRUE(logger.connect(line.slavePath()));
    EXPECT_TRUE(logger.writeDeclaration());
    EXPECT_EQ(recorder.declaration()[1 + 45], razred);
    EXPECT_EQ(recorder.className(), className);
    logger.loggerData().declaration()->clear();
    logger.readDeclaration(false);
    expectSameDeclaration(*logger.loggerData().declaration(), written);
}

TEST_F(LXLoggerTest, DeclarationWithClassCodeRoundTrips) {
    expectDeclarationRoundTrip(6, 2, "OPEN    ");  // Open Class
    for (const auto command : recorder.commands()) EXPECT_NE(command, 0xCF);
}

TEST_F(LXLoggerTest, DeclarationWithNamedClassRoundTripsThroughClassBlock) {
    expectDeclarationRoundTrip(1, 7, "Club    ");
}

// A class name that does not come whole is no blank class: the declaration read fails,
// leaves what the logger data held, and a save writes nothing.
TEST_F(LXLoggerTest, UnreadableClassNameFailsTheDeclarationAndNothingIsWritten) {
    recorder.setDeclaration(declarationWithTask(1), "Club");
    ASSERT_TRUE(logger.connect(line.slavePath()));
    ASSERT_TRUE(logger.readWaypoints(false));
    const std::pair<std::function<void()>, const char*> faults[] = {
        {[&] { recorder.corruptCrcOf(0xCF); }, "checksum error in the competition class"},
        // Unanswered from now on, whatever its checksum would be.
        {[&] { recorder.ignoreCommand(0xCF); }, "the recorder did not send the competition class"},
    };
    for (const auto& [fault, reason] : faults) {
        fault();
        logger.loggerData().declaration()->setPilot1("Held before");
        const Outcome read = logger.readDeclaration(false);
        EXPECT_FALSE(read);
        EXPECT_EQ(read.reason(), reason);
        EXPECT_EQ(logger.loggerData().declaration()->pilot1(), "Held before");
        EXPECT_FALSE(logger.writeDatabaseAndDeclaration());
    }
    for (const std::uint8_t command : recorder.commands()) {
        EXPECT_TRUE(command != 0x57 && command != 0xCA && command != 0xD0)
            << "command " << int(command) << " wrote to the recorder";
    }
}

TEST_F(LXLoggerTest, DatabaseWriteThenReadBackAppendsMissingRoutePoints) {
    auto& waypoints = logger.loggerData().waypoints();
    waypoints = {waypoint("ALPHA", 47, 8), waypoint("BRAVO", 47.1, 8.1),
                 waypoint("CHARLIE", 47.2, 8.2)};
    auto first = std::make_shared<Route>();
    first->setValue("one", {waypoints[0], waypoints[2]});
    auto second = std::make_shared<Route>();
    second->setValue("two", {waypoints[1], waypoint("DELTA", 46, 7)});
    logger.loggerData().routes() = {first, second};
    for (const LoggerPart part : {LoggerPart::Waypoints, LoggerPart::Routes, LoggerPart::Declaration})
        logger.loggerData().markKnown(part);  // given by the user
    ASSERT_TRUE(logger.connect(line.slavePath()));
    std::vector<Progress> progress;
    logger.setProgressHandler([&](const Progress& step) { progress.push_back(step); });
    const Outcome written = logger.writeDatabaseAndDeclaration();
    EXPECT_TRUE(written) << written.reason();
    EXPECT_EQ(written.note(), "waypoints and routes written and verified");
    ASSERT_EQ(logger.loggerData().waypoints().size(), 4u);
    EXPECT_FALSE(progress.empty());

    logger.loggerData().clearWaypoints();
    logger.loggerData().routes().clear();
    logger.readWaypoints(false);
    const std::vector<std::string> names = {"ALPHA", "BRAVO", "CHARLIE", "DELTA"};
    ASSERT_EQ(logger.loggerData().waypoints().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(logger.loggerData().waypoints()[i]->name(), names[i]);
    }
    EXPECT_TRUE(logger.loggerData().waypoints()[3]->isEqualTo(*waypoint("", 46, 7)));
    ASSERT_EQ(logger.loggerData().routes().size(), 2u);
    EXPECT_EQ(logger.loggerData().routes()[0]->name(), "Route 1");
    ASSERT_EQ(logger.loggerData().routes()[1]->waypoints().size(), 2u);
    EXPECT_EQ(logger.loggerData().routes()[1]->waypoints()[1]->name(), "DELTA");
}

// The recorder does not acknowledge a database: it is read back, and a save that left
// something else in the recorder fails naming it, with nothing more written.
TEST_F(LXLoggerTest, DatabaseTheRecorderAlteredIsNamedAndTheDeclarationNotWritten) {
    logger.loggerData().waypoints() = {waypoint("ALPHA", 47, 8), waypoint("BRAVO", 47.1, 8.1)};
    for (const LoggerPart part :
         {LoggerPart::Waypoints, LoggerPart::Routes, LoggerPart::Declaration})
        logger.loggerData().markKnown(part);
    recorder.alterStoredDatabase(true);
    ASSERT_TRUE(logger.connect(line.slavePath()));
    const Outcome written = logger.writeDatabaseAndDeclaration();
    EXPECT_FALSE(written);
    EXPECT_NE(
        written.reason().find("Waypoint 2 \"BRAVO\" meant elevation 450 m, recorder holds 350 m"),
        std::string::npos)
        << written.reason();
    const auto commands = recorder.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0xCA), 0);
}

// Routes read from the recorder keep their points whole: a point that the saved list lacks
// is written back as the recorder held it, not as a bare position.
TEST_F(LXLoggerTest, RoutePointsTheSavedListLacksAreWrittenBackWhole) {
    auto home = Waypoint::fromDegrees("KLIPPENE", 48.1075, 8.7633, 980);
    home->setRunwayLength(800);
    home->setRunwayDirection(250);
    home->setType(1);
    home->setTrainingCircle('X');
    const std::vector<std::shared_ptr<Waypoint>> held = {home, waypoint("LOM", 48.2, 8.9),
                                                         waypoint("ECK", 48.3, 8.8)};
    auto route = std::make_shared<Route>();
    route->setValue("r", {held[0], held[1]});
    recorder.setDatabase(held, {route});
    const Bytes before = recorder.database();
    ASSERT_TRUE(logger.connect(line.slavePath()));
    ASSERT_TRUE(logger.readWaypoints(false));
    auto& list = logger.loggerData().waypoints();
    list.erase(list.begin());
    EXPECT_TRUE(logger.writeDatabase());
    // Appended after LOM and ECK, byte for byte the record it was.
    const Bytes after = recorder.database();
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 31, after.begin() + 2 * 31));
    EXPECT_EQ(after[18600 + 12 + 1], 2);  // the route's first point, big-endian
}

TEST_F(LXLoggerTest, DatabaseRecordsLandAtTheirOffsets) {
    logger.loggerData().waypoints() = {waypoint("ALPHA", 47, 8)};
    auto route = std::make_shared<Route>();
    route->setValue("r", {logger.loggerData().waypoints()[0]});
    logger.loggerData().routes() = {route};
    ASSERT_TRUE(logger.connect(line.slavePath()));
    EXPECT_TRUE(logger.writeDatabase());
    const Bytes database = recorder.database();
    ASSERT_EQ(database.size(), 21800u);
    EXPECT_EQ(database[0], 1);
    EXPECT_EQ(database[31], 0);
    EXPECT_EQ(database[18600], 1);
    EXPECT_EQ(database[18600 + 2], 2);
    EXPECT_EQ(database[18600 + 32], 0);
}

TEST_F(LXLoggerTest, TooManyWaypointsOrRoutesAreRefused) {
    CapturingLogSink log;
    ASSERT_TRUE(logger.connect(line.slavePath()));
    for (int i = 0; i < 601; ++i)
        logger.loggerData().waypoints().push_back(waypoint("W", 40 + i * 0.01, 8));
    EXPECT_FALSE(logger.writeDatabase());
    EXPECT_TRUE(
        log.contains("The recorder holds 600 waypoints and 100 routes; 601 waypoints and "
                     "0 routes cannot be written."));
    logger.loggerData().waypoints().resize(1);
    logger.loggerData().routes().assign(101, std::make_shared<Route>());
    EXPECT_FALSE(logger.writeDatabase());
    EXPECT_TRUE(recorder.database() == Bytes(21800, 0));
}

// A USB adapter passes the recorder's bytes on in chunks every 16 ms; a Bluetooth link
// delays them by 20-80 ms and, with seed 1, stalls for 460 ms 2.35 s after it started,
// inside the paced flight blocks, and for 528 ms at 5.66 s, inside the database block.
// Neither may cut an answer: the flight and the database come as over a plain line. The
// protocol's own waits are shortened no further than the link's delays allow.
TEST(LXSlowLink, FlightAndDatabaseComeAsOverAPlainLine) {
    struct Row {
        sim::LinkKind link;
        std::uint64_t seed;
        bool paced;
        double delayScale;
    };
    const auto encoder = encodedFlight(1000);  // about 15 kB: 2.6 s at 57600 baud
    std::optional<Bytes> plainFlight;
    std::vector<std::string> plainWaypoints;
    for (const Row row :
         {Row{sim::LinkKind::Plain, 0, false, 0.02}, Row{sim::LinkKind::Usb, 0, false, 0.25},
          Row{sim::LinkKind::Bluetooth, 1, true, 1.0}}) {
        SCOPED_TRACE(static_cast<int>(row.link));
        const ScopedDelayScale scale{row.delayScale};
        sim::PseudoTerminal line;
        line.setLink(row.link, row.seed);
        line.setPaced(row.paced);
        sim::LXRecorderEmulator recorder{line, 57600};
        sim::LXEmulatedFlight flight;
        flight.native = encoder.bytes();
        flight.securityBlock = encoder.lengthTable();
        flight.flightNumber = 3;
        recorder.addFlight(flight);
        recorder.setDatabase({waypoint("LOM", 48.2, 8.9), waypoint("ECK", 48.3, 8.8)}, {});
        LXLoggerInternals logger;
        ASSERT_TRUE(logger.connect(line.slavePath()));
        ASSERT_TRUE(logger.readDirectory(false));
        const TempFolder temp;
        ASSERT_TRUE(logger.readFile(temp.path() / "flight.LXN", 0, true, true,
                                    &logger.loggerData().flightDirectory()[0]));
        const Bytes* read = logger.loggerData().flightWithKey(0);
        ASSERT_NE(read, nullptr);
        ASSERT_TRUE(logger.readWaypoints(false));  // one block of 21800 bytes: 3.8 s paced
        std::vector<std::string> names;
        for (const auto& point : logger.loggerData().waypoints()) names.push_back(point->name());
        if (!plainFlight) {
            plainFlight = *read;
            plainWaypoints = names;
            EXPECT_EQ(names, (std::vector<std::string>{"LOM", "ECK"}));
        }
        EXPECT_TRUE(*read == *plainFlight);
        EXPECT_EQ(names, plainWaypoints);
    }
}

}  // namespace
}  // namespace kelvo
