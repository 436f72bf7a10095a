#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace kelvo::sim {
namespace {

using std::chrono::milliseconds;

// The host's end of the line, raw at that speed; -1 when it cannot be opened so.
int openHost(const PseudoTerminal& pty, speed_t speed) {
    const int host = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
    termios attributes{};
    if (host >= 0 && ::tcgetattr(host, &attributes) == 0) {
        ::cfmakeraw(&attributes);
        ::cfsetspeed(&attributes, speed);
        if (::tcsetattr(host, TCSANOW, &attributes) == 0) return host;
    }
    if (host >= 0) ::close(host);
    return -1;
}

TEST(PseudoTerminal, CarriesBytesBothWaysAndShowsTheHostsSpeed) {
    PseudoTerminal pty;
    const int host = openHost(pty, B57600);
    ASSERT_GE(host, 0);
    EXPECT_EQ(pty.lineSpeed(), 57600);

    const std::uint8_t syn = 0x16;
    ASSERT_EQ(::write(host, &syn, 1), 1);
    EXPECT_EQ(pty.readByte(milliseconds(1000)), syn);
    EXPECT_FALSE(pty.readByte(milliseconds(10)));

    ASSERT_TRUE(pty.write(Bytes{0x06, 0x0D}));
    std::uint8_t reply[2] = {};
    ASSERT_EQ(::read(host, reply, 2), 2);
    EXPECT_EQ(reply[0], 0x06);
    EXPECT_EQ(reply[1], 0x0D);  // raw line: no CR translation
    ::close(host);
}

TEST(PseudoTerminal, PacedBytesTakeAtLeastTheirTimeOnTheLine) {
    PseudoTerminal pty;
    const int host = openHost(pty, B9600);
    ASSERT_GE(host, 0);
    pty.setPaced(true);

    // 480 bytes at 960 bytes a second: half a second at the least.
    const Bytes sent(480, 0x55);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(pty.write(sent));
    std::size_t received = 0;
    std::uint8_t buffer[512];
    while (received < sent.size()) {
        const ssize_t count = ::read(host, buffer, sizeof buffer);
        ASSERT_GT(count, 0);
        received += static_cast<std::size_t>(count);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(500));
    EXPECT_EQ(pty.bytesSent(), sent.size());
    EXPECT_EQ(pty.lineTime(), milliseconds(500));
    ::close(host);
}

}  // namespace
}  // namespace kelvo::sim
