#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "LoggerAccess/Flarm/binarycomm.h"
#include "LoggerAccess/Flarm/listener.h"
#include "LoggerAccess/Flarm/serial.h"
#include "LoggerAccess/Flarm/textcomm.h"
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

// A Flarm streams its sentences whatever the host's speed: at a wrong one the host reads
// garbage, which rules that speed out and must not spoil the try at the next.
TEST(FlarmListener, GarbageOfAWrongSpeedRulesItOutAndIsGoneAtTheNext) {
    ScopedDelayScale fast(0.1);
    auto memory = std::make_unique<sim::MemoryPort>();
    sim::MemoryPort& line = *memory;
    line.setResponder([&line](ByteSpan) {
        const std::string answer = "$PFLAU,0,0,0,1,0,,0,,*4F\r\n$PFLAP,A*34\r\n";
        return line.speed() == 9600 ? Bytes(answer.begin(), answer.end()) : Bytes(5000, 0xF8);
    });
    serial port(std::move(memory));
    ASSERT_TRUE(port.open("memory"));
    EXPECT_EQ(listener(port).connect(), 9600u);
    EXPECT_EQ(line.speeds(), (std::vector<int>{4800, 9600}));
}

TEST(FlarmTextValue, TakesTextAfterCommasUpToChecksum) {
    EXPECT_EQ(textcomm::extractValue("PILOT,Test Pilot*3C\r\n", 1), "Test Pilot");
    EXPECT_EQ(textcomm::extractValue("PILOT,\r\n", 1), "PILOT,\r\n");
    EXPECT_EQ(textcomm::extractValue("PILOT\r\n", 1), "");
    EXPECT_EQ(textcomm::extractValue("OBSTDB,1,4,Alps 2026*11\r\n", 3), "Alps 2026");
    EXPECT_EQ(textcomm::extractValue("OBSTDB,1,4*11\r\n", 3), "");
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

// A query examines at most ten lines and takes the first that holds its tag anywhere.
TEST_F(FlarmLink, TextQueryTakesTheFirstOfTenLinesHoldingItsTag) {
    std::string tenNoise;
    for (int i = 0; i < 10; ++i) tenNoise += "$GPGGA,noise\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"$GPRMC,1,2\r\n" + std::string(300, 'x') + "\r\n$PFLAC,A,PILOT,Test Pilot*3C\r\n",
         "Test Pilot"},
        {"$PFLAU,PILOTS,ON*00\r\n$PFLAC,A,PILOT,1234*00\r\n", "ON"},
        {tenNoise + "$PFLAC,A,PILOT,1.0*00\r\n", ""}};
    for (const auto& [answer, expected] : cases) {
        auto device = answerWith(answer);
        std::string pilot = "old";
        comm.getPilotName(pilot);
        EXPECT_EQ(device.get(), "$PFLAC,R,PILOT\r\n");
        EXPECT_EQ(pilot, expected);
    }
}

}  // namespace
}  // namespace kelvo::flarm
