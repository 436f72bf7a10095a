#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXLoggerInternals.h"
#include "LoggerAccess/LX/LXSerial.h"
#include "base/Delay.h"
#include "base/Log.h"
#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"
#include "sim/MemoryPort.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

constexpr double kFast = 0.02;

// A driver connected to an emulated recorder at the given speed.
struct Link {
    explicit Link(int speed = 19200) : recorder(line, speed) {}

    bool connect() { return logger.connect(line.slavePath()).ok(); }

    sim::PseudoTerminal line;
    sim::LXRecorderEmulator recorder;
    LXLoggerInternals logger;
};

TEST(LXSerial, SilentLineGivesEmptyBlockAndEmptyWriteSendsOnlyCrc) {
    CapturingLogSink log;
    auto memory = std::make_unique<sim::MemoryPort>();
    sim::MemoryPort& line = *memory;
    LXSerial port(std::move(memory));
    port.setDescriptor("/dev/ttyLX");
    ASSERT_TRUE(port.connect());
    EXPECT_TRUE(port.readBlockWithSize(10).empty());
    EXPECT_FALSE(port.lastBlockOK());
    EXPECT_TRUE(log.contains("ReadBlockWithSize (10): CRC mismatch (0xff)."));
    port.writeBlock({});
    EXPECT_EQ(line.written(), Bytes{0xFF});
    line.sendToHost(Bytes{'a', 'b', 'c', 0x97, 'd', 'e', 'f', 0x00});
    line.corruptAt(7);  // the second block's CRC
    EXPECT_EQ(port.readBlockWithSize(3), (Bytes{'a', 'b', 'c'}));
    EXPECT_TRUE(port.lastBlockOK());
    EXPECT_TRUE(log.contains("ReadBlockWithSize (3): CRC OK."));
    EXPECT_EQ(port.readBlockWithSize(3), (Bytes{'d', 'e', 'f'}));
    EXPECT_FALSE(port.lastBlockOK());
}

TEST(LXSerial, TerminationSignalRestoresPortAttributesAndExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    sim::PseudoTerminal line;
    EXPECT_EXIT(
        {
            LXSerial port;
            port.setDescriptor(line.slavePath());
            port.connect();
            ::raise(SIGTERM);
        },
        ::testing::ExitedWithCode(255), "LX-Logger-Connection: releaseTTY 15");
    const int fd = ::open(line.slavePath().c_str(), O_RDWR | O_NOCTTY);
    termios attributes{};
    ASSERT_EQ(::tcgetattr(fd, &attributes), 0);
    ::close(fd);
    EXPECT_EQ(attributes.c_cc[VMIN], 1);  // the fixture's raw mode, not the link's 0
}

TEST(LXLink, SpeedSearchFindsRecorderAtEachSpeed) {
    ScopedDelayScale scale(kFast);
    for (const int speed : {57600, 38400, 19200, 9600, 4800}) {
        Link link(speed);
        EXPECT_TRUE(link.connect()) << speed;
        EXPECT_TRUE(link.logger.stillConnected());
        EXPECT_EQ(link.line.lineSpeed(), speed);
        EXPECT_EQ(link.logger.lineSpeed(), speed);
    }
}

TEST(LXLink, TriesTheSpeedThatLastWorkedFirst) {
    ScopedDelayScale scale(kFast);
    CapturingLogSink log;
    Link link(4800);
    link.logger.setPreferredLineSpeed(4800);
    ASSERT_TRUE(link.connect());
    const auto lines = log.lines();
    const auto first = std::find_if(lines.begin(), lines.end(), [](const auto& line) {
        return line.starts_with("Set port speed to");
    });
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(*first, "Set port speed to 4800.");
    EXPECT_EQ(link.recorder.synCount(), 3u);  // one handshake, at the right speed
}

TEST(LXLink, MemoryInfoWithAndWithoutAnswer) {
    ScopedDelayScale scale(kFast);
    Link link;
    link.recorder.setMemoryPages(2, 5);
    ASSERT_TRUE(link.connect());
    link.logger.pauseKeepAliveTimer();
    link.logger.getMemoryInfo();
    EXPECT_EQ(link.logger.loggerMemory().startPage(), 2);
    EXPECT_EQ(link.logger.loggerMemory().endPage(), 5);
    EXPECT_EQ(link.logger.loggerMemory().endPos(), 32768);
    link.recorder.setAnswersMemoryInfo(false);
    link.logger.getMemoryInfo();
    EXPECT_EQ(link.logger.loggerMemory().getData(), LXMemory::makeDefaultMemoryInfo().getData());
}

TEST(LXLink, RangeIsSelectedLowByteFirstAndReadInAnnouncedBlocks) {
    ScopedDelayScale scale(kFast);
    CapturingLogSink log;
    Link link;
    link.recorder.setMemoryPages(0, 3);
    link.recorder.setBlockSize(100);
    Bytes memory(1500);
    for (std::size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<std::uint8_t>(i * 7);
    sim::LXEmulatedFlight flight;
    flight.native = memory;
    link.recorder.addFlight(flight, 39800);
    ASSERT_TRUE(link.connect());
    link.logger.pauseKeepAliveTimer();

    bool intact = true;
    const auto data = link.logger.getFlightBlock(40000, 40250, &intact);
    ASSERT_TRUE(data);
    EXPECT_TRUE(intact);
    EXPECT_EQ(*data, Bytes(memory.begin() + 200, memory.begin() + 450));
    ASSERT_EQ(link.recorder.selectionPayloads().size(), 1u);
    // 40000 is page 1, position 7232 (0x1C40); 40250 is position 7482 (0x1D3A).
    EXPECT_EQ(link.recorder.selectionPayloads()[0], (Bytes{0x40, 0x1C, 1, 0x3A, 0x1D, 1}));
    EXPECT_TRUE(log.contains("Entering getFlightBlock (se:40000 (0x9C40), ee:40250 (0x9D3A))."));
    std::vector<std::uint8_t> blockCommands;
    for (const auto command : link.recorder.commands()) {
        if (command >= 0xE6 && command <= 0xF5) blockCommands.push_back(command);
    }
    EXPECT_EQ(blockCommands, (std::vector<std::uint8_t>{0xE6, 0xE7, 0xE8}));
}

TEST(LXLink, SilentPingRetriesFiveTimes) {
    ScopedDelayScale scale(kFast);
    CapturingLogSink log;
    Link link;
    ASSERT_TRUE(link.connect());
    link.logger.pauseKeepAliveTimer();
    EXPECT_TRUE(link.logger.ping());
    link.recorder.setSilent(true);
    log.clear();
    EXPECT_FALSE(link.logger.ping());
    std::size_t misses = 0;
    for (const auto& line : log.lines()) {
        misses += line == "Did not get good reply from Logger: (0).";
    }
    EXPECT_EQ(misses, 5u);
}

TEST(LXLink, OperationWaitsForPingAlreadyOnTheLine) {
    ScopedDelayScale scale(kFast);
    Link link;
    ASSERT_TRUE(link.connect());
    link.recorder.setSynAnswerDelay(60ms);
    const std::size_t before = link.recorder.synCount();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (link.recorder.synCount() == before && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_GT(link.recorder.synCount(), before) << "no keep-alive ping came";
    // The keep-alive ping is now waiting for its answer.
    link.logger.pauseKeepAliveTimer();
    link.recorder.setSynAnswerDelay(0ms);
    link.logger.getMemoryInfo();
    EXPECT_EQ(link.recorder.protocolErrors(), 0u);
    EXPECT_EQ(link.logger.loggerMemory().startPage(), 8);
}

}  // namespace
}  // namespace kelvo
