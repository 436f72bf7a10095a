#include "LoggerAccess/Flarm/serial.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "base/Delay.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::flarm {
namespace {

using namespace std::chrono_literals;

TEST(FlarmSerial, ChoosesHighestStandardSpeedNotAboveRequest) {
    sim::PseudoTerminal terminal;
    serial port;
    EXPECT_FALSE(port.setBaudRate(9600));
    ASSERT_TRUE(port.open(terminal.slavePath()));
    for (const auto& [requested, expected] :
         {std::pair{50000u, 38400u}, {200000u, 115200u}, {100u, 75u}, {19200u, 19200u}}) {
        ASSERT_TRUE(port.setBaudRate(requested));
        EXPECT_EQ(port.getBaudRate(), expected) << requested;
    }
    EXPECT_EQ(terminal.lineSpeed(), 19200);
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

}  // namespace
}  // namespace kelvo::flarm
