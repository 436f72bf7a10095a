#include "LoggerAccess/Flarm/textcomm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "LoggerAccess/Flarm/serial.h"
#include "base/Delay.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::flarm {
namespace {

using namespace std::chrono_literals;

TEST(FlarmTextValue, TakesTextAfterCommasUpToChecksum) {
    EXPECT_EQ(textcomm::extractValue("PILOT,Test Pilot*3C\r\n", 1), "Test Pilot");
    EXPECT_EQ(textcomm::extractValue("PILOT,\r\n", 1), "PILOT,\r\n");
    EXPECT_EQ(textcomm::extractValue("PILOT\r\n", 1), "");
    EXPECT_EQ(textcomm::extractValue("OBSTDB,1,4,Alps 2026*11\r\n", 3), "Alps 2026");
    EXPECT_EQ(textcomm::extractValue("OBSTDB,1,4*11\r\n", 3), "");
}

class TextLink : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(port.open(terminal.slavePath())); }

    // Plays the device: waits for the query, then answers with the given lines.
    std::future<std::string> answerWith(std::string lines) {
        return std::async(std::launch::async, [this, lines] {
            const Bytes query = terminal.readSome(256, 2000ms);
            terminal.write(lines);
            return std::string(query.begin(), query.end());
        });
    }

    ScopedDelayScale fast{0.05};
    sim::PseudoTerminal terminal;
    serial port;
    textcomm comm{port};
};

TEST_F(TextLink, SendsQueryAndSkipsLinesWithoutTheTag) {
    auto device = answerWith("$GPRMC,1,2\r\n" + std::string(300, 'x') +
                             "\r\n$PFLAC,A,PILOT,Test Pilot*3C\r\n");
    std::string pilot;
    comm.getPilotName(pilot);
    EXPECT_EQ(device.get(), "$PFLAC,R,PILOT\r\n");
    EXPECT_EQ(pilot, "Test Pilot");
}

TEST_F(TextLink, FirstLineHoldingTagAnywhereWins) {
    auto device = answerWith("$PFLAU,SERVO,ON*00\r\n$PFLAC,A,SER,1234*00\r\n");
    std::string serial;
    comm.getSerialnumber(serial);
    device.get();
    EXPECT_EQ(serial, "ON");
}

TEST_F(TextLink, ExaminesAtMostTenLines) {
    std::string lines;
    for (int i = 0; i < 10; ++i) lines += "$GPGGA,noise\r\n";
    auto device = answerWith(lines + "$PFLAC,A,HWVER,1.0*00\r\n");
    std::string version = "old";
    comm.getHardwareVersion(version);
    device.get();
    EXPECT_EQ(version, "");
}

}  // namespace
}  // namespace kelvo::flarm
