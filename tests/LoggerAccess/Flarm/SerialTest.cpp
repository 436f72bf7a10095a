#include "LoggerAccess/Flarm/serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "base/Delay.h"
#include "sim/PseudoTerminal.h"

namespace kelvo::flarm {
namespace {

using namespace std::chrono_literals;

termios attributesOf(const std::string& path) {
    termios attributes{};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &attributes);
    ::close(fd);
    return attributes;
}

void makeCooked(const std::string& path) {
    termios attributes = attributesOf(path);
    attributes.c_iflag |= ICRNL | IXON;
    attributes.c_oflag |= OPOST | ONLCR;
    attributes.c_lflag |= ICANON | ECHO | ISIG;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcsetattr(fd, TCSANOW, &attributes);
    ::close(fd);
}

TEST(FlarmSerial, OpensCookedLineRawAndRestoresItOnClose) {
    ScopedDelayScale fast(0.01);
    sim::PseudoTerminal terminal;
    makeCooked(terminal.slavePath());
    serial port;
    ASSERT_TRUE(port.open(terminal.slavePath()));
    EXPECT_FALSE(port.open(terminal.slavePath()));

    const termios raw = attributesOf(terminal.slavePath());
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(raw.c_oflag & OPOST, 0u);
    EXPECT_EQ(raw.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), static_cast<tcflag_t>(CS8));

    // Carriage returns and XOFF pass both ways unchanged and nothing is echoed.
    terminal.write(std::string("\r\x13\n"));
    std::string line;
    ASSERT_TRUE(port.readLn(line, 16));
    EXPECT_EQ(line, "\x13\n");
    ASSERT_TRUE(port.writeStr("A\r\n"));
    const Bytes received = terminal.readSome(16, 200ms);
    EXPECT_EQ(std::string(received.begin(), received.end()), "A\r\n");

    port.close();
    EXPECT_NE(attributesOf(terminal.slavePath()).c_lflag & ICANON, 0u);
}

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
