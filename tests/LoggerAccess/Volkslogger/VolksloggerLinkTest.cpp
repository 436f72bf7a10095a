#include "LoggerAccess/Volkslogger/VLA_XFR.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "base/Crc16.h"
#include "base/Delay.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::vl {
namespace {

using namespace std::chrono_literals;

class VolksloggerLink : public ::testing::Test {
  protected:
    void SetUp() override {
        xfr.portName = pty.slavePath();
        ASSERT_EQ(xfr.serial_open_port(), 0);
        EXPECT_EQ(pty.lineSpeed(), 9600);
    }

    // The bytes of one command frame as the recorder receives them, answered with reply.
    Bytes commandFrame(std::uint8_t cmd, std::uint8_t p1, std::uint8_t p2, int* reply) {
        std::thread host([&] { *reply = xfr.sendcommand(cmd, p1, p2); });
        Bytes received;
        while (received.size() < 17) {
            const Bytes part = pty.readSome(17 - received.size(), 2s);
            if (part.empty()) break;
            received.insert(received.end(), part.begin(), part.end());
        }
        pty.write(Bytes{0});
        host.join();
        return received;
    }

    long readBlock(const Bytes& line, std::uint8_t* buffer, long maxLength) {
        pty.write(line);
        return xfr.readlog(buffer, maxLength);
    }

    ScopedDelayScale fast{0.01};
    sim::PseudoTerminal pty;
    VLA_XFR xfr;
};

Bytes withCan(Bytes frame) {
    Bytes bytes(6, 0x18);
    bytes.push_back(0x05);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    return bytes;
}

TEST_F(VolksloggerLink, CommandFramesGoOutByteForByte) {
    int reply = -1;
    EXPECT_EQ(commandFrame(1, 0, 0, &reply), withCan({1, 0, 0, 0, 0, 0, 0, 0, 0x47, 0xD3}));
    EXPECT_EQ(reply, 0);
    xfr.set_databaud(115200);
    EXPECT_EQ(commandFrame(3, 2, static_cast<std::uint8_t>(xfr.databaudindex()), &reply),
              withCan({3, 2, 5, 0, 0, 0, 0, 0, 0xEB, 0x97}));
    EXPECT_EQ(commandFrame(0, 0, 0, &reply), withCan({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(VolksloggerLink, DataBaudIndexAndLineSpeeds) {
    const std::pair<long, int> indexes[] = {{9600, 1},  {19200, 2},  {38400, 3},
                                            {57600, 4}, {115200, 5}, {230400, 1}};
    for (const auto& [rate, index] : indexes) {
        xfr.set_databaud(rate);
        EXPECT_EQ(xfr.databaudindex(), index) << rate;
    }
    EXPECT_EQ(xfr.serial_set_baudrate(500000), 0);
    EXPECT_EQ(pty.lineSpeed(), 115200);
    EXPECT_EQ(xfr.serial_set_baudrate(0), 0);  // changes nothing
    EXPECT_EQ(pty.lineSpeed(), 115200);

    VLA_XFR closed;
    EXPECT_EQ(closed.serial_set_baudrate(9600), 2);
    EXPECT_EQ(closed.serial_out(1), 2);
    EXPECT_EQ(closed.serial_close_port(), 2);
    closed.portName = pty.slavePath();
    EXPECT_EQ(closed.serial_open_port(), 2);  // the port is held by the first
    EXPECT_NE(closed.portError().find("in use"), std::string::npos) << closed.portError();
}

TEST_F(VolksloggerLink, ReadsTheDocumentedBlock) {
    std::uint8_t buffer[8];
    const Bytes line = {0x10, 0x02, 0x41, 0x10, 0x10, 0x42, 0x41, 0x68, 0x10, 0x03};
    ASSERT_EQ(readBlock(line, buffer, 8), 3);
    EXPECT_EQ(Bytes(buffer, buffer + 8), (Bytes{0x41, 0x10, 0x42, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(VolksloggerLink, IgnoresNoiseBeforeTheBlockAndTakesBareControlBytesAsData) {
    const Bytes payload = {0x03, 0x02, 0x41};
    const std::uint16_t crc = crc16(payload);
    const Bytes line = {0x55, 0x03, 0x02, 0x10, 0x10, 0x10, 0x02, 0x03, 0x02, 0x41,
                        static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc),
                        0x10, 0x03};
    std::uint8_t buffer[4];
    ASSERT_EQ(readBlock(line, buffer, 4), 3);
    EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{0x03, 0x02, 0x41, 0xFF}));
}

TEST_F(VolksloggerLink, BadEmptyAndOversizedBlocks) {
    std::uint8_t buffer[6];
    EXPECT_EQ(readBlock({0x10, 0x02, 0x41, 0x00, 0x00, 0x10, 0x03}, buffer, 6), -1);
    EXPECT_EQ(readBlock({0x10, 0x02, 0x00, 0x00, 0x10, 0x03}, buffer, 6), 0);

    // Ten payload bytes into a room of four: nothing is written past the room.
    Bytes payload(10, 0x41);
    const std::uint16_t crc = crc16(payload);
    Bytes line = {0x10, 0x02};
    line.insert(line.end(), payload.begin(), payload.end());
    line.insert(line.end(),
                {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc), 0x10, 0x03});
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(readBlock(line, buffer, 4), 4);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{0x41, 0x41, 0x41, 0x41, 0xEE, 0xEE}));
}

TEST_F(VolksloggerLink, SilentRecorderEndsTheBlockWithinTheLimit) {
    std::uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readBlock({0x10, 0x02, 0x41}, buffer, 4), VLA_XFR::kSilent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    // The host solicited the missing bytes with ACK meanwhile.
    const Bytes solicited = pty.readSome(16, 100ms);
    ASSERT_FALSE(solicited.empty());
    EXPECT_EQ(solicited.front(), 0x06);
}

TEST(VolksloggerLinkDeathTest, TerminationSignalRestoresTheLineAndEnds) {
    sim::PseudoTerminal pty;
    EXPECT_EXIT(
        {
            VLA_SYS sys;
            sys.portName = pty.slavePath();
            if (sys.serial_open_port() == 0) std::raise(SIGTERM);
        },
        ::testing::ExitedWithCode(255), "VolksLogger-Connection: releaseTTY\\(15\\)");
    // Closing the port gives the process its own handlers back.
    VLA_SYS sys;
    sys.portName = pty.slavePath();
    ASSERT_EQ(sys.serial_open_port(), 0);
    ASSERT_EQ(sys.serial_close_port(), 0);
    struct sigaction action {};
    ::sigaction(SIGTERM, nullptr, &action);
    EXPECT_EQ(action.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace kelvo::vl
