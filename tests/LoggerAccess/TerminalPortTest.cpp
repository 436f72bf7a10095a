#include "LoggerAccess/TerminalPort.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include <gtest/gtest.h>

#include "base/Cancellation.h"
#include "sim/PseudoTerminal.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

termios attributesOf(const std::string& path) {
    termios attributes{};
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &attributes);
    ::close(fd);
    return attributes;
}

// Another program (stty as root, say) changes the line discipline under an open port.
void setBlockingReads(const std::string& path) {
    termios attributes = attributesOf(path);
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcsetattr(fd, TCSANOW, &attributes);
    ::close(fd);
}

TEST(TerminalPort, ReadsKeepTheirDeadlineWhateverTheLineDisciplineSays) {
    sim::PseudoTerminal line;
    TerminalPort port;
    ASSERT_TRUE(port.open(line.slavePath())) << port.lastError();
    setBlockingReads(line.slavePath());

    std::uint8_t buffer[4] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(buffer, 100ms), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    ASSERT_TRUE(line.write(std::string("ok")));
    EXPECT_EQ(port.readFully(MutableByteSpan(buffer, 2), 5s), 2u);  // at once when complete
    EXPECT_EQ(buffer[1], 'k');
}

TEST(TerminalPort, HoldsTheLineAloneAndGivesItBackAsFound) {
    sim::PseudoTerminal line;
    const termios before = attributesOf(line.slavePath());
    {
        TerminalPort first;
        ASSERT_TRUE(first.open(line.slavePath()));
        EXPECT_EQ(attributesOf(line.slavePath()).c_cc[VMIN], 0);
        EXPECT_TRUE(first.setSpeed(100000));
        EXPECT_EQ(first.speed(), 57600);

        TerminalPort second;
        EXPECT_FALSE(second.open(line.slavePath()));
        EXPECT_EQ(second.lastError(), line.slavePath() + " is in use by another program.");
    }
    const termios after = attributesOf(line.slavePath());
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    TerminalPort again;
    EXPECT_TRUE(again.open(line.slavePath()));
}

TEST(TerminalPort, FirstSignalOnlyAsksTheOperationToStopWhenTheToolWantsThat) {
    sim::PseudoTerminal line;
    TerminalPort port;
    ASSERT_TRUE(port.open(line.slavePath()));
    TerminalPort::cancelOnSignal(true);
    ::raise(SIGINT);
    EXPECT_TRUE(cancellationRequested());
    std::uint8_t byte = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(MutableByteSpan(&byte, 1), 5s), 0u);  // a cancelled wait ends at once
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    clearCancellation();
    TerminalPort::cancelOnSignal(false);
}

TEST(TerminalPort, OpensNothingButTerminals) {
    for (const std::string path : {"/dev/null", "/", "/proc/self/status", "/nonexistent/tty"}) {
        TerminalPort port;
        EXPECT_FALSE(port.open(path));
        EXPECT_NE(port.lastError().find(path), std::string::npos) << port.lastError();
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(port.write(ByteSpan(reinterpret_cast<const std::uint8_t*>("x"), 1)), 0u);
    }
}

}  // namespace
}  // namespace kelvo
