#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "LoggerAccess/Flarm/binarycomm.h"
#include "LoggerAccess/Flarm/listener.h"
#include "LoggerAccess/Flarm/serial.h"
#include "LoggerAccess/Flarm/textcomm.h"
#include "LoggerAccess/Nmea/NmeaSentence.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/MemoryPort.h"
#include "sim/PseudoTerminal.h"

// The Flarm's line: the serial port, the text queries and the binary frames.
namespace kelvo::flarm {
namespace {

using namespace std::chrono_literals;
using sim::FlarmEmulator;

class FlarmLink : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(port.open(terminal.slavePath())); }

    // Bytes the host sent, collected until the line stays quiet.
    Bytes sent() {
        Bytes all;
        for (Bytes some; !(some = terminal.readSome(4096, 200ms)).empty();) {
            all.insert(all.end(), some.begin(), some.end());
        }
        return all;
    }

    // Plays the device: waits for the request, then answers; gives the request back.
    template <typename Answer>
    std::future<std::string> answerWith(Answer answer) {
        return std::async(std::launch::async, [this, answer] {
            const Bytes request = terminal.readSome(4096, 2000ms);
            terminal.write(answer);
            return std::string(request.begin(), request.end());
        });
    }

    ScopedDelayScale fast{0.1};
    sim::PseudoTerminal terminal;
    serial port;
    binarycomm link{port};
    textcomm comm{port};
};

TEST(FlarmSerial, ChoosesHighestStandardSpeedNotAboveRequest) {
    sim::PseudoTerminal terminal;
    serial port;
    EXPECT_FALSE(port.setBaudRate(9600));
    ASSERT_TRUE(port.open(terminal.slavePath()));
    ASSERT_TRUE(port.setBaudRate(200000));
    EXPECT_EQ(port.getBaudRate(), 115200u);
    EXPECT_EQ(terminal.lineSpeed(), 115200);
}

TEST(FlarmSerial, ReadLineEndsAtLineFeedLimitOrSilence) {
    ScopedDelayScale fast(0.01);
    sim::PseudoTerminal terminal;
    serial port;
    ASSERT_TRUE(port.open(terminal.slavePath()));
    std::string line;

    terminal.write(std::string("\r\rAB\rC\n"));
    ASSERT_TRUE(port.readLn(line, 16));
    EXPECT_EQ(line, "AB\rC\n");

    terminal.write(std::string("ABCDEF\n"));
    EXPECT_FALSE(port.readLn(line, 4));
    EXPECT_EQ(line, "ABCD");
    port.flush();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.readLn(line, 16));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
}

// Framing of the text sentences, shared with every recorder that speaks NMEA.
TEST(NmeaFraming, SentencesGoOutAfterALineFeedWithTheirChecksum) {
    EXPECT_EQ(NmeaSentence("PFLAC,R,PILOT").wire(), "\n$PFLAC,R,PILOT*44\r\n");
    EXPECT_EQ(NmeaSentence("PFLAX").wire(), "\n$PFLAX*43\r\n");
}

TEST(NmeaFraming, OnlyIntactSentencesAreTaken) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"$PFLAC,A,PILOT,Test Pilot*23\r\n", "PFLAC,A,PILOT,Test Pilot"},
        {"\n$PFLAC,A,PILOT,Test Pilot*23 \r", "PFLAC,A,PILOT,Test Pilot"},
        {"$$PFLAC,A,PILOT,Test Pilot*23", "PFLAC,A,PILOT,Test Pilot"},
        {"\x73\x08garbage$PFLAP,A*26", "PFLAP,A"},
        {"$PFLAC,A,PILOT,*7B", "PFLAC,A,PILOT,"},
        {"$PFLAC,A,PILOT,Test Pilot*24", std::nullopt},  // wrong checksum
        {"$PFLAC,A,PILOT,Test Pilot", std::nullopt},     // none
        {"$PFLAC,A,PILOT,Test Pilot*2", std::nullopt},
        {"$PFLAC,A,PILOT,Test Pilot*23*23", std::nullopt},
        {"PFLAC,A,PILOT,Test Pilot*23", std::nullopt}};
    for (const auto& [line, body] : cases) {
        const auto sentence = NmeaSentence::parse(line);
        EXPECT_EQ(sentence ? std::optional(sentence->body()) : std::nullopt, body) << line;
    }
}

TEST(NmeaFraming, PrefixesAndValuesAreWholeFields) {
    const NmeaSentence answer("PFLAC,A,OBSTDB,1,4,Alps 2026");
    EXPECT_TRUE(answer.hasPrefix("PFLAC,A,OBSTDB"));
    EXPECT_FALSE(answer.hasPrefix("PFLAC,A,OBST"));
    EXPECT_EQ(answer.fieldsFrom(3), "1,4,Alps 2026");
    EXPECT_EQ(answer.fieldsFrom(5), "Alps 2026");
    EXPECT_EQ(answer.fieldsFrom(7), "");
    EXPECT_EQ(NmeaSentence("PFLAC,A,PILOT,").fields(),
              (std::vector<std::string>{"PFLAC", "A", "PILOT", ""}));
}

// A Flarm streams its sentences whatever the host's speed: at a wrong one the host reads
// garbage, which rules that speed out and must not spoil the try at the next.
TEST(FlarmListener, GarbageOfAWrongSpeedRulesItOutAndIsGoneAtTheNext) {
    ScopedDelayScale fast(0.1);
    auto memory = std::make_unique<sim::MemoryPort>();
    sim::MemoryPort& line = *memory;
    line.setResponder([&line](ByteSpan) {
        const std::string answer = "$PFLAU,0,0,0,1,0,,0,,*4F\r\n$PFLAP,A*26\r\n";
        return line.speed() == 9600 ? Bytes(answer.begin(), answer.end()) : Bytes(5000, 0xF8);
    });
    serial port(std::move(memory));
    ASSERT_TRUE(port.open("memory"));
    EXPECT_EQ(listener(port).connect(), 9600u);
    EXPECT_EQ(line.speeds(), (std::vector<int>{4800, 9600}));
}

TEST_F(FlarmLink, FramesCarryCountingSequenceNumbersAndEscapeAfterTheStartByte) {
    Message ping = Message::request(binarycomm::kPing);
    Message select = Message::request(binarycomm::kSelectRecord, {0x73, 0x78});
    ASSERT_TRUE(link.sendMsg(ping));
    ASSERT_TRUE(link.sendMsg(select));
    const Bytes expected{// ping, sequence 13112, crc 0x5715
                         0x73, 0x08, 0x00, 0x01, 0x38, 0x33, 0x01, 0x15, 0x57,
                         // length 10, sequence 13113, payload 0x73 0x78 escaped, crc 0xE328
                         0x73, 0x0A, 0x00, 0x01, 0x39, 0x33, 0x20, 0x28, 0xE3, 0x78, 0x31, 0x78,
                         0x55};
    EXPECT_EQ(sent(), expected);
}

TEST_F(FlarmLink, ChecksumCoversHeaderAndPayloadButNotItself) {
    Message message = Message::request(binarycomm::kPing);
    message.seq = 0x3338;
    EXPECT_EQ(binarycomm::computeCRC(message), 0x5715);
    message.crc = 0x1234;
    EXPECT_EQ(binarycomm::computeCRC(message), 0x5715);
    for (auto change : {+[](Message& m) { m.length = 9; }, +[](Message& m) { m.version = 2; },
                        +[](Message& m) { m.seq = 0x3339; }, +[](Message& m) { m.type = 2; },
                        +[](Message& m) { m.data = {0}; }}) {
        Message changed = message;
        change(changed);
        EXPECT_NE(binarycomm::computeCRC(changed), 0x5715);
    }
}

TEST_F(FlarmLink, RejectsDamagedFrames) {
    CapturingLogSink log;
    Message message;

    Bytes corrupted = FlarmEmulator::frame(0xA0, 7, {0x41, 0x42});
    corrupted.back() ^= 0x01;
    terminal.write(corrupted);
    EXPECT_FALSE(link.rcvMsg(message));
    EXPECT_TRUE(log.contains("CRC calculation failed\r"));

    terminal.write(Bytes{0x73, 0x08, 0x00, 0x01, 0x78, 0x20});  // invalid escape
    EXPECT_FALSE(link.rcvMsg(message));
    port.flush();

    // A length of 551 is refused before any payload byte is read.
    terminal.write(Bytes{0x73, 0x27, 0x02, 0x01, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x41});
    EXPECT_FALSE(link.rcvMsg(message));
    EXPECT_TRUE(log.contains("Length > MAXSIZE. How can that bee?\r"));
    std::uint8_t next = 0;
    ASSERT_TRUE(port.read(next));
    EXPECT_EQ(next, 0x41);

    terminal.write(Bytes{0x73, 0x05, 0x00, 0x01, 0x00, 0x00, 0xA0, 0x00, 0x00});
    EXPECT_FALSE(link.rcvMsg(message));
}

TEST_F(FlarmLink, AnswerOtherThanAcknowledgeFailsRequestDespiteGoodChecksum) {
    CapturingLogSink log;
    auto device = answerWith(FlarmEmulator::frame(0xB7, 1, {0x38, 0x33}));
    EXPECT_FALSE(link.ping());
    device.get();
    EXPECT_TRUE(log.contains("Nack \r"));
}

// Once an answer has begun, a half-second gap inside it (a Bluetooth stall) is a slow link,
// not an answer cut off: neither a binary frame nor a text sentence is given up for it.
TEST_F(FlarmLink, AGapInsideAnAnswerIsASlowLinkNotTheEnd) {
    const auto stalled = [this](const Bytes& answer) {
        return std::async(std::launch::async, [this, answer] {
            terminal.readSome(4096, 2000ms);
            const auto half = answer.begin() + static_cast<std::ptrdiff_t>(answer.size() / 2);
            terminal.write(Bytes(answer.begin(), half));
            std::this_thread::sleep_for(500ms);
            terminal.write(Bytes(half, answer.end()));
        });
    };
    auto device = stalled(FlarmEmulator::frame(binarycomm::kAck, 0, {0x00, 0x00}));
    EXPECT_TRUE(link.ping());
    device.get();

    const std::string sentence = FlarmEmulator::sentence("PFLAC,A,PILOT,Test Pilot");
    device = stalled(Bytes(sentence.begin(), sentence.end()));
    std::string pilot;
    EXPECT_TRUE(comm.getPilotName(pilot));
    device.get();
    EXPECT_EQ(pilot, "Test Pilot");
}

// A query is sent checksummed and takes the first intact answer to it, whatever streams
// past; a reported checksum error sends it again, and an ERROR is a refusal.
TEST_F(FlarmLink, TextQueryTakesTheFirstIntactAnswerToIt) {
    const std::string traffic = FlarmEmulator::sentence("GPRMC,1,2") + std::string(600, 'x') +
                                "\r\n" + FlarmEmulator::sentence("PFLAC,A,PILOTX,Other");
    const std::pair<std::string, std::string> cases[] = {
        {traffic + "$PFLAC,A,PILOT,Wrong*00\r\n" +
             FlarmEmulator::sentence("PFLAC,A,PILOT,Test Pilot"),
         "Test Pilot"},
        {"\n$" + FlarmEmulator::sentence("PFLAC,A,PILOT"), ""},
        {FlarmEmulator::sentence("PFLAC,A,PILOT,Keller, Anna"), "Keller, Anna"}};
    for (const auto& [answer, expected] : cases) {
        auto device = answerWith(answer);
        std::string pilot = "old";
        EXPECT_TRUE(comm.getPilotName(pilot));
        EXPECT_EQ(device.get(), "\n$PFLAC,R,PILOT*44\r\n");
        EXPECT_EQ(pilot, expected);
    }

    auto refusing = answerWith(FlarmEmulator::sentence("PFLAC,A,ERROR(unknown command)"));
    const textcomm::Reply reply = comm.read("PILOT");
    refusing.get();
    EXPECT_EQ(reply.status, textcomm::Reply::Status::Refused);
    EXPECT_EQ(reply.text, "$PFLAC,A,ERROR(unknown command)");
}

TEST_F(FlarmLink, ChecksumErrorSendsTheQueryAgainAtMostThreeTimes) {
    for (const int errors : {2, 4}) {
        auto device = std::async(std::launch::async, [this, errors] {
            int questions = 0;
            for (Bytes some; !(some = terminal.readSome(4096, 300ms)).empty();) {
                ++questions;
                terminal.write(questions <= errors ? FlarmEmulator::sentence("ERROR,CKSUM")
                                                   : FlarmEmulator::sentence("PFLAC,A,SER,4711"));
            }
            return questions;
        });
        std::string serial;
        EXPECT_EQ(comm.getSerialnumber(serial), errors < 4);
        EXPECT_EQ(device.get(), std::min(errors + 1, 4));
        EXPECT_EQ(serial, errors < 4 ? "4711" : "");
    }
}

}  // namespace
}  // namespace kelvo::flarm
