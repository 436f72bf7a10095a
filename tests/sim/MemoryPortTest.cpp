#include "sim/MemoryPort.h"

#include <gtest/gtest.h>

#include <thread>

namespace kelvo::sim {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

TEST(MemoryPort, AnswersAsScriptedAndRecordsWhatTheHostDid) {
    MemoryPort port;
    port.setResponder([](ByteSpan written) {
        return written.size() == 1 && written[0] == 0x02 ? Bytes{0x06} : Bytes{};
    });
    EXPECT_EQ(port.write(Bytes{0x02}), 0u) << "a closed port takes nothing";
    ASSERT_TRUE(port.open("/dev/ttyUSB7"));
    EXPECT_EQ(port.openedPath(), "/dev/ttyUSB7");
    ASSERT_TRUE(port.setSpeed(19200));
    ASSERT_TRUE(port.setSpeed(100000));
    EXPECT_EQ(port.speeds(), (std::vector<int>{19200, 57600}));
    EXPECT_EQ(port.speed(), 57600);

    ASSERT_TRUE(port.writeByte(0x16));
    ASSERT_TRUE(port.writeByte(0x02));
    std::uint8_t answer = 0;
    ASSERT_TRUE(port.readByte(answer, milliseconds(1000)));
    EXPECT_EQ(answer, 0x06);
    EXPECT_EQ(port.written(), (Bytes{0x16, 0x02}));

    MemoryPort refusing;
    refusing.refuseOpen("/dev/ttyUSB7 is in use by another program");
    EXPECT_FALSE(refusing.open("/dev/ttyUSB7"));
    EXPECT_EQ(refusing.lastError(), "/dev/ttyUSB7 is in use by another program");
}

TEST(MemoryPort, AReadEndsAtItsDeadlineOnSilenceAndAtOnceWhenBytesArrive) {
    MemoryPort port;
    port.setResponder([](ByteSpan) { return Bytes{0x06}; });
    port.setSilent(true);
    ASSERT_TRUE(port.open("memory"));
    ASSERT_TRUE(port.writeByte(0x02));
    std::uint8_t buffer[4];
    auto start = Clock::now();
    EXPECT_EQ(port.read(buffer, milliseconds(50)), 0u);
    EXPECT_GE(Clock::now() - start, milliseconds(50));
    EXPECT_LT(Clock::now() - start, milliseconds(2000));

    port.setSilent(false);
    std::thread device([&] {
        std::this_thread::sleep_for(milliseconds(20));
        port.sendToHost(Bytes{0x15});
    });
    start = Clock::now();
    EXPECT_EQ(port.read(buffer, milliseconds(10000)), 1u);
    EXPECT_LT(Clock::now() - start, milliseconds(5000));
    EXPECT_EQ(buffer[0], 0x15);
    device.join();
}

TEST(MemoryPort, CorruptsOneByteAndDropsTheLine) {
    MemoryPort port;
    port.setResponder([](ByteSpan) { return Bytes{0x06}; });
    port.corruptAt(1);
    port.dropAfter(3);
    ASSERT_TRUE(port.open("memory"));
    port.sendToHost(Bytes{0x10, 0x20, 0x30, 0x40});

    Bytes received(8);
    received.resize(port.readFully(received, milliseconds(50)));
    EXPECT_EQ(received, (Bytes{0x10, 0xDF, 0x30}));
    EXPECT_EQ(port.write(Bytes{0x02}), 1u);
    std::uint8_t answer = 0;
    EXPECT_FALSE(port.readByte(answer, milliseconds(20))) << "a dead line answers nothing";
}

}  // namespace
}  // namespace kelvo::sim
