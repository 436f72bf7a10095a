#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "../TempFolder.h"
#include "LoggerAccess/DeclarationCheck.h"
#include "LoggerAccess/LXNAV/LXNAVBlockCrc.h"
#include "LoggerAccess/LXNAV/LXNAVBlockTransfer.h"
#include "LoggerAccess/LXNAV/LXNAVDeclaration.h"
#include "LoggerAccess/LXNAV/LXNAVFlightList.h"
#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "LoggerAccess/LXNAV/LXNAVLogger.h"
#include "LoggerAccess/LXNAV/LXNAVRowLayout.h"
#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "base/UtcDate.h"
#include "geo/Declaration.h"
#include "geo/Task.h"
#include "geo/Turnpoint.h"
#include "sim/LXNAV/LXNAVEmulator.h"
#include "sim/PseudoTerminal.h"
#include "sim/demo/DemoLXNAV.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// --- Framing: the block transfer's check value, base64, answers and the row layout. ---

TEST(LXNAVFraming, CheckValueMatchesTheRecorderVectors) {
    EXPECT_EQ(LXNAVBlockCrc::of(""), 0);
    EXPECT_EQ(LXNAVBlockCrc::of("123456789"), -227313381);
    EXPECT_EQ(LXNAVBlockCrc::of("QUJD"), -496861107);
    LXNAVBlockCrc running;
    running.add("QUJD");
    running.add("REVG");
    EXPECT_EQ(running.value(), 246082478);
    // A resent block may carry the value unsigned.
    EXPECT_EQ(LXNAVBlockCrc::parse("4067653915"), -227313381);
    EXPECT_EQ(LXNAVBlockCrc::parse("-227313381"), -227313381);
    EXPECT_FALSE(LXNAVBlockCrc::parse("12a"));
    EXPECT_FALSE(LXNAVBlockCrc::parse("4294967296"));
}

TEST(LXNAVFraming, Base64DecodesWhatTheRecorderEncodesAndRefusesTheRest) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i * 37));
    for (std::size_t length : {0u, 1u, 2u, 3u, 140u, 300u}) {
        const std::string part = bytes.substr(0, length);
        EXPECT_EQ(LXNAVBlockTransfer::decodeBase64(sim::LXNAVEmulator::base64(part)), part);
    }
    for (const char* broken : {"QUJ", "QU=I", "Q===", "QU JD", "QUI=QUJD"}) {
        EXPECT_FALSE(LXNAVBlockTransfer::decodeBase64(broken)) << broken;
    }
}

TEST(LXNAVFraming, AnswersTakeTheirArgumentsAndRowTextsKeepTheirCommas) {
    // A doubled "$" and a trailing comma, as some firmware sends them.
    const auto count =
        NmeaSentence::parse("$$PLXVC,LOGBOOKSIZE,A,5,*" + std::string("00"));  // checksum set below
    EXPECT_FALSE(count);  // a wrong checksum is no answer
    const std::string body = "PLXVC,LOGBOOKSIZE,A,5,";
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", NmeaSentence::checksum(body));
    const auto sentence = NmeaSentence::parse("\n$$" + body + "*" + checksum + "\r\n");
    ASSERT_TRUE(sentence);
    const auto answer = LXNAVLink::answerOf(*sentence, {"LOGBOOK,A", "LOGBOOKSIZE,A"});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->key, "LOGBOOKSIZE,A");
    EXPECT_EQ(answer->arguments, std::vector<std::string>{"5"});

    const auto row =
        LXNAVLink::answerOf(NmeaSentence("PLXVC,FLIGHT,A,,7,90,LXVTSK,a,b,"), {"FLIGHT,A"});
    ASSERT_TRUE(row);
    EXPECT_EQ(row->textFrom(3), "LXVTSK,a,b,");
    EXPECT_FALSE(LXNAVLink::answerOf(NmeaSentence("PLXVC,FLIGHTS,A,1"), {"FLIGHT,A"}));
}

TEST(LXNAVFraming, FixAndEventRecordsMustHaveTheirLayoutsLength) {
    const std::string fix = "B1038304806450N00845798EV0094500972";
    LXNAVRowLayout layout;
    EXPECT_TRUE(layout.fits(fix));
    EXPECT_FALSE(layout.fits(fix + fix));  // two rows spliced into one
    EXPECT_TRUE(layout.fits("LXNAV any length of text"));
    ASSERT_TRUE(layout.learn("I023638FXA3940SIU"));
    EXPECT_FALSE(layout.fits(fix));
    EXPECT_TRUE(layout.fits(fix + "12345"));
    ASSERT_TRUE(layout.learn("J010812HDT"));
    EXPECT_TRUE(layout.fits("K10383012345"));
    EXPECT_FALSE(layout.fits("K103830"));
    for (const char* malformed : {"I02363", "I013740FXA", "I0136X8FXA"}) {
        EXPECT_FALSE(LXNAVRowLayout().learn(malformed)) << malformed;
    }
}

// --- List ---

TEST(LXNAVList, EntriesKeepUnknownDatesAndLandings) {
    struct Case {
        std::vector<std::string> arguments;
        const char* date;  // "" when unknown
        const char* duration;
        std::optional<std::uint64_t> size;
    };
    const Case cases[] = {
        {{"3", "9", "65EL3F11.IGC", "14.05.2026", "10:38:30", "12:41:00", "6047"},
         "2026-05-14T10:38:30Z",
         "02:02:30",
         6047},
        {{"4", "9", "65FL3F11.IGC", "15.05.2026", "23:30:00", "01:00:00"},
         "2026-05-15T23:30:00Z",
         "01:30:00",
         std::nullopt},
        {{"5", "9", "NOCLOCK.IGC", "00.00.1980", "10:00:00", "11:00:00", "100"}, "", "", 100},
        {{"6", "9", "S10.IGC", "01.06.2026", "10:00:00", "00:00:00", "100"},
         "2026-06-01T10:00:00Z",
         "",
         100},
    };
    for (const Case& c : cases) {
        const auto entry = LXNAVFlightList::entryOf(c.arguments);
        ASSERT_TRUE(entry) << c.arguments[2];
        EXPECT_EQ(entry->filename, c.arguments[2]);
        EXPECT_EQ(entry->date ? isoUtc(*entry->date) : "", c.date);
        EXPECT_EQ(entry->duration.value_or(""), c.duration);
        EXPECT_EQ(entry->lasttime.has_value(), *c.duration != '\0');
        EXPECT_EQ(std::any_cast<LXNAVFlight>(entry->driverRecord).size, c.size);
    }
    EXPECT_FALSE(
        LXNAVFlightList::entryOf({"x", "9", "A.IGC", "01.06.2026", "10:00:00", "11:00:00"}));
    EXPECT_FALSE(LXNAVFlightList::entryOf({"1", "9", "", "01.06.2026", "10:00:00", "11:00:00"}));
}

// An LXNAV recorder on a pseudo-terminal with its driver connected.
class LXNAVRig : public ::testing::Test {
  protected:
    void start(sim::LXNAVEmulatorConfig config) {
        config.fileOpenTime = 100ms;
        device = std::make_unique<sim::LXNAVEmulator>(terminal, std::move(config));
    }
    void connect() { ASSERT_TRUE(logger.connect(terminal.slavePath())); }
    static sim::LXNAVEmulatorConfig demo(std::size_t flights = 2) {
        return sim::demoLXNAVConfig(sim::DemoContent::make(sim::DemoSize::Small, flights));
    }
    // Downloads the recorder's flight with that number into the folder.
    Outcome download(int number, const std::filesystem::path& target) {
        if (logger.loggerData().flightDirectory().empty()) {
            EXPECT_TRUE(logger.readDirectory(true));
        }
        return logger.readFile(target, number, true, true, nullptr);
    }
    static std::string contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScopedDelayScale fast{0.2};
    sim::PseudoTerminal terminal;
    std::unique_ptr<sim::LXNAVEmulator> device;
    LXNAVLogger logger;
    TempFolder folder;
};

class LXNAVListing : public LXNAVRig, public ::testing::WithParamInterface<bool> {};

// Both count answers; every flight past any page or 128-flight limit; newest first.
TEST_P(LXNAVListing, ListsEveryFlightNewestFirst) {
    sim::LXNAVEmulatorConfig config;
    config.oldFirmware = GetParam();
    for (int i = 1; i <= 130; ++i) {
        config.flights.push_back({"F" + std::to_string(i) + ".IGC", "01.06.2026", "10:00:00",
                                  "11:00:00", "A" + std::to_string(i) + "\r\n"});
    }
    start(config);
    connect();
    ASSERT_TRUE(logger.readDirectory(true));
    const auto& directory = logger.loggerData().flightDirectory();
    ASSERT_EQ(directory.size(), 130u);
    EXPECT_EQ(directory.front().filename, "F130.IGC");
    EXPECT_EQ(directory.front().key(), 130);
    EXPECT_EQ(directory.back().filename, "F1.IGC");
    EXPECT_EQ(std::any_cast<LXNAVFlight>(directory.back().driverRecord).size.has_value(),
              !GetParam());
}

INSTANTIATE_TEST_SUITE_P(Firmware, LXNAVListing, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Old" : "New"; });

TEST_F(LXNAVRig, AListThatStopsPartWayFailsSayingHowMuchCame) {
    start(demo(20));
    connect();
    device->dropLineInTransferAfter(1000);
    const Outcome listed = logger.readDirectory(true);
    EXPECT_FALSE(listed);
    EXPECT_EQ(listed.reason(),
              "the flight list arrived in part: 8 of its 20 entries came, then "
              "the recorder stopped answering");
    EXPECT_TRUE(logger.loggerData().flightDirectory().empty());
}

// --- Connect and info ---

TEST_F(LXNAVRig, FindsTheRecorderAtItsSpeedNeverAsking4800AndNamesRecording) {
    sim::LXNAVEmulatorConfig config = demo();
    config.speed = 115200;
    config.loggerStatus = 2;
    start(config);
    logger.setPreferredLineSpeed(4800);
    connect();
    EXPECT_EQ(logger.lineSpeed(), 115200);
    EXPECT_FALSE(device->askedAt(4800));
    EXPECT_TRUE(device->askedAt(19200));
    ASSERT_TRUE(logger.readInfo());
    EXPECT_EQ(logger.loggerData().loggerInfoForKey("Logger status"), "recording");
    EXPECT_EQ(logger.loggerData().loggerInfoForKey("Product"), "NANO3");

    std::vector<std::string> texts;
    logger.setProgressHandler(
        [&texts](const Progress& progress) { texts.push_back(progress.text); });
    ASSERT_TRUE(download(1, folder.path() / "f.igc"));
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().rfind("The recorder is recording a flight", 0), 0u) << texts.front();
}

TEST_F(LXNAVRig, ASilentRecorderFailsInBoundedTime) {
    start(demo());
    device->setSilent(true);
    const auto begin = std::chrono::steady_clock::now();
    const Outcome connected = logger.connect(terminal.slavePath());
    EXPECT_FALSE(connected);
    EXPECT_EQ(connected.reason(), "no LXNAV recorder answered on " + terminal.slavePath());
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
}

// --- Transfer ---

struct TransferCase {
    const char* name;
    bool oldFirmware;
    void (*fault)(sim::LXNAVEmulator&);
    bool byBlocks;
};

class LXNAVTransfer : public LXNAVRig, public ::testing::WithParamInterface<TransferCase> {};

// Each way and each recoverable fault delivers the recorder's file byte for byte.
TEST_P(LXNAVTransfer, DeliversTheRecordersFileByteForByte) {
    sim::LXNAVEmulatorConfig config = demo();
    config.oldFirmware = GetParam().oldFirmware;
    const std::string expected = config.flights.front().igc;
    start(config);
    GetParam().fault(*device);
    connect();
    const auto target = folder.path() / "flight.igc";
    const Outcome outcome = download(1, target);
    ASSERT_TRUE(outcome) << outcome.reason();
    EXPECT_EQ(contents(target), expected);
    EXPECT_EQ(device->blockTransfers() > 0, GetParam().byBlocks);
    EXPECT_EQ(device->rowRequests() > 0, !GetParam().byBlocks);
}

INSTANTIATE_TEST_SUITE_P(
    WaysAndFaults, LXNAVTransfer,
    ::testing::Values(
        TransferCase{"Blocks", false, [](sim::LXNAVEmulator&) {}, true},
        TransferCase{"LostBlock", false, [](sim::LXNAVEmulator& d) { d.setLostBlock(true); }, true},
        TransferCase{"Rows", true, [](sim::LXNAVEmulator&) {}, false},
        TransferCase{"StaleRows", true, [](sim::LXNAVEmulator& d) { d.setStaleRows(true); }, false},
        TransferCase{"SplicedRow", true, [](sim::LXNAVEmulator& d) { d.setSplicedRow(true); },
                     false}),
    [](const auto& info) { return info.param.name; });

// Cancelled half-way at the line's real pace, a download by blocks or by rows ends within a
// second, keeps the earlier file, and the recorder then delivers the whole file. The waits
// keep their real length: at the line's pace a block takes a tenth of a second.
TEST_F(LXNAVRig, ACancelledDownloadEndsSoonAndTheRecorderStaysUsable) {
    const ScopedDelayScale realWaits(1.0);
    for (const bool oldFirmware : {false, true}) {
        sim::PseudoTerminal line;
        sim::LXNAVEmulatorConfig config = demo();
        config.oldFirmware = oldFirmware;
        config.fileOpenTime = 100ms;
        sim::LXNAVEmulator paced(line, config);
        paced.setLineRate(true);
        LXNAVLogger recorder;
        ASSERT_TRUE(recorder.connect(line.slavePath()));
        ASSERT_TRUE(recorder.readDirectory(true));
        const auto target = folder.write("flight.igc", "EARLIER");
        std::chrono::steady_clock::time_point requestedAt;
        std::thread canceller([&requestedAt] {
            std::this_thread::sleep_for(1s);
            requestedAt = std::chrono::steady_clock::now();
            requestCancellation();
        });
        const Outcome cancelled = recorder.readFile(target, 1, true, true, nullptr);
        const auto endedAt = std::chrono::steady_clock::now();
        canceller.join();
        EXPECT_EQ(cancelled.kind(), Outcome::Kind::Cancelled) << cancelled.reason();
        EXPECT_LT(endedAt - requestedAt, 1s);
        EXPECT_EQ(contents(target), "EARLIER");
        paced.setLineRate(false);
        ASSERT_TRUE(recorder.readFile(target, 1, true, true, nullptr)) << oldFirmware;
        EXPECT_EQ(contents(target), config.flights.front().igc);
    }
}

TEST_F(LXNAVRig, ADroppedLineFailsNamingTheRowAndTheNextAttemptResumes) {
    sim::LXNAVEmulatorConfig config = demo();
    config.oldFirmware = true;
    const std::string expected = config.flights.front().igc;
    start(config);
    connect();
    ASSERT_TRUE(logger.readDirectory(true));
    const auto target = folder.write("flight.igc", "EARLIER");
    device->dropLineInTransferAfter(3000);
    const Outcome failed = download(1, target);
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.reason().find("did not send row"), std::string::npos) << failed.reason();
    EXPECT_EQ(contents(target), "EARLIER");

    device->restoreLine();
    CapturingLogSink log;
    ASSERT_TRUE(download(1, target));
    EXPECT_EQ(contents(target), expected);
    EXPECT_TRUE(log.contains("Resuming 65EL3F11.IGC from row "));
}

// --- Declaration ---

std::shared_ptr<Declaration> taskDeclaration() {
    auto declaration = std::make_shared<Declaration>();
    declaration->setPilot1("Anna Keller");
    declaration->setPilot2("Ben Ott");
    declaration->setGliderType("LS8-18");
    declaration->setGliderID("D-5408");
    declaration->setCompetitionID("K8");
    declaration->setCompetitionClass(3);
    auto task = std::make_shared<Task>();
    auto point = [&task](const char* name, double lat, double lon) {
        task->addTurnpoint(std::make_shared<Turnpoint>(*Waypoint::fromDegrees(name, lat, lon, 0)));
        return task->turnpoint(task->numOfTurnpoints() - 1);
    };
    point("KLIPPENE", 48.1075, 8.7633)->setLineWidth(100);
    point("LAICHING", 48.4969, 9.6403)->setCylinderRadius(500);
    auto sector = point("ELLWANGE", 48.9616, -10.1313);
    sector->setSectorRadius(3000);
    sector->setSectorDirection(135);
    sector->setCylinderRadius(500);
    point("HAHNWEID", -48.6317, 9.4283);
    point("KLIPPENE", 48.1075, 8.7633)->setCylinderRadius(1000);
    declaration->setTask(task);
    return declaration;
}

TEST(LXNAVDeclarationRows, HoldWhatWasMeantWithZones) {
    const Declaration meant = *taskDeclaration();
    const auto rows = LXNAVDeclaration::rowsOf(meant, *utcTime(2026, 7, 12, 9, 5, 7));
    ASSERT_EQ(rows.size(), 6u + 8u + 4u + 1u);
    EXPECT_EQ(rows[0], "HFPLTPILOT:Anna Keller");
    EXPECT_EQ(rows[6], "C120726090507000000000003");
    EXPECT_EQ(rows[7], "C0000000N00000000ETAKEOFF");
    EXPECT_EQ(rows[9], "C4829814N00938418ELAICHING");
    EXPECT_EQ(rows[13], "C0000000N00000000ELANDING");
    EXPECT_EQ(rows[14],
              "LLXVOZ=-1,Style=2,R1=100m,A1=90,R2=0m,A2=0,A12=0,Maxa=0m,Line=1,"
              "Autonext=1,Lat=4806.450N,Lon=00845.798E");
    EXPECT_EQ(rows.back(), "LLXVTSK,StartOnEntry=false,Short=false,Near=true");
    const Declaration held = LXNAVDeclaration::declarationOf(rows);
    EXPECT_EQ(DeclarationCheck::compare(meant, held, LXNAVDeclaration::limits()),
              std::vector<DeclarationDifference>{});
}

TEST_F(LXNAVRig, WritesTheDeclarationAndVerifiesItByReadingItBack) {
    start(demo());
    connect();
    ASSERT_TRUE(logger.readDeclaration(true));
    logger.loggerData().setDeclaration(taskDeclaration());
    ASSERT_TRUE(logger.writeDatabaseAndDeclaration());
    EXPECT_EQ(DeclarationCheck::verifyWritten(logger).verdict,
              DeclarationVerification::Verdict::Verified);
    EXPECT_EQ(device->declaration().front(), "HFPLTPILOT:Anna Keller");

    device->setAlteredDeclaration(true);
    logger.loggerData().setDeclaration(taskDeclaration());
    ASSERT_TRUE(logger.writeDatabaseAndDeclaration());
    const DeclarationVerification altered = DeclarationCheck::verifyWritten(logger);
    ASSERT_EQ(altered.verdict, DeclarationVerification::Verdict::Differs);
    EXPECT_EQ(altered.differences,
              (std::vector<DeclarationDifference>{{"Pilot 1", "Anna Keller", "Bnna Keller"}}));
}

TEST_F(LXNAVRig, ARowTheRecorderDoesNotConfirmFailsTheWriteInBoundedTime) {
    start(demo());
    connect();
    ASSERT_TRUE(logger.readDeclaration(true));
    logger.loggerData().setDeclaration(taskDeclaration());
    device->setUnconfirmedFromRow(3);
    const auto begin = std::chrono::steady_clock::now();
    const Outcome written = logger.writeDatabaseAndDeclaration();
    EXPECT_EQ(written.reason(), "the recorder did not confirm row 3 of 19");
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
}

}  // namespace
}  // namespace kelvo
