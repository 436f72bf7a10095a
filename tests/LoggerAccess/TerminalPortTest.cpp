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

// What another program (stty as root, say) does to the line.
void changeAttributes(const std::string& path, void (*change)(termios&)) {
    termios attributes = attributesOf(path);
    change(attributes);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcsetattr(fd, TCSANOW, &attributes);
    ::close(fd);
}

void blockingReads(termios& attributes) {
    attributes.c_cc[VMIN] = 1;
    attributes.c_cc[VTIME] = 0;
}

void cooked(termios& attributes) {
    attributes.c_iflag |= ICRNL | IXON;
    attributes.c_oflag |= OPOST | ONLCR;
    attributes.c_lflag |= ICANON | ECHO | ISIG;
}

TEST(TerminalPort, ReadsKeepTheirDeadlineWhateverTheLineDisciplineSays) {
    sim::PseudoTerminal line;
    TerminalPort port;
    ASSERT_TRUE(port.open(line.slavePath())) << port.lastError();
    changeAttributes(line.slavePath(), blockingReads);

    std::uint8_t buffer[4] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.read(buffer, 100ms), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    ASSERT_TRUE(line.write(std::string("ok")));
    EXPECT_EQ(port.readFully(MutableByteSpan(buffer, 2), 5s), 2u);  // at once when complete
    EXPECT_EQ(buffer[1], 'k');
}

TEST(TerminalPort, HoldsACookedLineRawAndAloneAndGivesItBackAsFound) {
    sim::PseudoTerminal line;
    changeAttributes(line.slavePath(), cooked);
    const termios before = attributesOf(line.slavePath());
    {
        TerminalPort first;
        ASSERT_TRUE(first.open(line.slavePath()));
        const termios raw = attributesOf(line.slavePath());
        EXPECT_EQ(raw.c_cc[VMIN], 0);
        EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(raw.c_oflag & OPOST, 0u);
        EXPECT_EQ(raw.c_cflag & (CSIZE | CSTOPB | PARENB | CRTSCTS), static_cast<tcflag_t>(CS8));
        // Carriage returns and XOFF pass unchanged and nothing is echoed.
        ASSERT_TRUE(line.write(std::string("\r\x13")));
        std::uint8_t received[2] = {};
        EXPECT_EQ(first.readFully(received, 1s), 2u);
        EXPECT_EQ(received[1], 0x13);
        EXPECT_TRUE(line.readSome(4, 50ms).empty());
        // The standard speed at or below the request, for every port class over this one.
        for (const auto& [requested, standard] : {std::pair{100000, 57600}, {500000, 230400},
                                                  {50000, 38400}, {100, 75}, {19200, 19200}}) {
            EXPECT_TRUE(first.setSpeed(requested));
            EXPECT_EQ(first.speed(), standard) << requested;
        }

        TerminalPort second;
        EXPECT_FALSE(second.open(line.slavePath()));
        EXPECT_EQ(second.lastError(), line.slavePath() + " is in use by another program.");
    }
    const termios after = attributesOf(line.slavePath());
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
    TerminalPort again;
    EXPECT_TRUE(again.open(line.slavePath()));
}

// Whichever signal ends the process (Ctrl-\ sends SIGQUIT), the line is given back as it
// was found.
TEST(TerminalPort, GivesTheLineBackWhenASignalEndsTheProcess) {
    // The child must use this line: it is forked, not started anew.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const int signal : {SIGQUIT, SIGHUP, SIGTERM, SIGUSR1, SIGALRM}) {
        sim::PseudoTerminal line;
        changeAttributes(line.slavePath(), cooked);
        const termios before = attributesOf(line.slavePath());
        EXPECT_EXIT(
            {
                TerminalPort port;
                if (port.open(line.slavePath())) ::raise(signal);
            },
            testing::ExitedWithCode(255), "")
            << signal;
        const termios after = attributesOf(line.slavePath());
        EXPECT_EQ(after.c_lflag, before.c_lflag) << signal;
        EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]) << signal;
    }
    GTEST_FLAG_SET(death_test_style, style);
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

}  // namespace
}  // namespace kelvo
