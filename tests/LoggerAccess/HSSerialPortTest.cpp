#include "LoggerAccess/HSSerialPort.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "base/Delay.h"
#include "base/Log.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// Opens the device the way the recorder links do.
class RawPort : public HSSerialPort {
  public:
    bool connect() override { return openPort(); }
};

class OpenPort : public ::testing::Test {
  protected:
    void SetUp() override {
        port.setDescriptor(pty.slavePath());
        ASSERT_TRUE(port.connect());
    }

    CapturingLogSink log;
    sim::PseudoTerminal pty;
    RawPort port;
};

TEST(HSSerialPort, ClosedPortTouchesNoDeviceAndSaysWhy) {
    CapturingLogSink log;
    HSSerialPort port;
    EXPECT_FALSE(port.connect());
    EXPECT_TRUE(log.contains("Calling empty method 'connect."));

    std::uint8_t byte = 0;
    EXPECT_EQ(port.writeChar(0x16), 0);
    EXPECT_EQ(port.readChar(&byte), 0);
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(port.readBuffer(buffer, 4), 0);

    port.flushBuffers();
    port.closePort();
    EXPECT_TRUE(log.contains("Trying to close port -1."));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(OpenPort, SetsTheNearestSpeedAtOrBelowTheRequest) {
    port.setBaudrate(19200);
    EXPECT_EQ(pty.lineSpeed(), 19200);
    EXPECT_EQ(port.getBaudRate(), 19200);
    EXPECT_FALSE(log.contains("Baud rate not what I expected it to become."));

    port.setBaudrate(100000);
    EXPECT_EQ(pty.lineSpeed(), 57600);
    EXPECT_TRUE(log.contains("Baud rate not what I expected it to become."));

    log.clear();
    port.setBaudrate(0);  // changes nothing, but 57600 is not 0
    EXPECT_EQ(pty.lineSpeed(), 57600);
    EXPECT_FALSE(log.contains("Set port speed"));
    EXPECT_TRUE(log.contains("Baud rate not what I expected it to become."));

    port.setBaudrate(500000);
    EXPECT_EQ(port.getBaudRate(), 0);  // 230400: not a recorder speed
    port.setBaudrate(2400);
    EXPECT_EQ(port.getBaudRate(), 0);
}

TEST_F(OpenPort, KeepsItsPathWhileOpen) {
    port.setDescriptor("/dev/ttyUSB7");
    EXPECT_EQ(port.bsdName(), pty.slavePath());
    EXPECT_TRUE(log.contains("Cannot change the name of an open Serial Port."));

    port.closePort();
    EXPECT_FALSE(port.isOpen());
    port.setDescriptor("/dev/ttyUSB7");
    EXPECT_EQ(port.bsdName(), "/dev/ttyUSB7");
}

TEST_F(OpenPort, WritesAndReadsSingleBytes) {
    EXPECT_EQ(port.writeChar(0x16), 1);
    EXPECT_EQ(pty.readByte(1000ms), 0x16);

    std::uint8_t byte = 0;
    EXPECT_EQ(port.readChar(&byte), 0);  // quiet line
    ASSERT_TRUE(pty.write(Bytes{0x06}));
    EXPECT_EQ(port.readChar(&byte), 1);
    EXPECT_EQ(byte, 0x06);
}

TEST_F(OpenPort, GivesUpOnASilentLineAfterOneToTwoSeconds) {
    ASSERT_TRUE(pty.write("AB"));
    std::uint8_t buffer[8] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.readBuffer(buffer, 8), 2);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 900ms);
    EXPECT_LE(waited, 2600ms);
    EXPECT_TRUE(log.contains("Have read 2 bytes, need 6 more."));
    EXPECT_TRUE(log.contains("Have read 0 bytes, need 6 more."));
}

TEST_F(OpenPort, FlushesDiscardPendingInput) {
    ASSERT_TRUE(pty.write("stale"));
    std::this_thread::sleep_for(50ms);
    port.flushR();
    std::uint8_t byte = 0;
    EXPECT_EQ(port.readChar(&byte), 0);

    ASSERT_TRUE(pty.write("stale"));
    std::this_thread::sleep_for(50ms);
    port.flushBuffers();
    EXPECT_EQ(port.readChar(&byte), 0);
}

TEST(HSSerialPortDump, LogsSixteenBytesARowWithPrintableCharacters) {
    CapturingLogSink log;
    const Bytes data{'H',  'e',  'l',  'l', 'o', ',', ' ', 0x00, 0x01,
                     0x7F, 0x80, 0xAB, 'w', 'o', 'r', 'l', 'd'};
    HSSerialPort::dumpData(&data);
    const std::vector<std::string> expected{
        "Dumping 17 bytes.",
        "00000000: 48 65 6C 6C 6F 2C 20 00 01 7F 80 AB 77 6F 72 6C   Hello, ..\x7F..worl",
        "00000016: 64" + std::string(48, ' ') + "d" + std::string(15, ' '),
    };
    EXPECT_EQ(log.lines(), expected);
    HSSerialPort::dumpData(nullptr);
    HSSerialPort::dumpBuffer(data.data(), 0);
    EXPECT_EQ(log.lines().size(), expected.size() + 2);  // a refusal each, no dump
}

}  // namespace
}  // namespace kelvo
