#include "LoggerAccess/Volkslogger/VLA_SYS.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "base/Delay.h"

namespace kelvo::vl {
namespace {

constexpr const char* kStatusTexts[] = {
    "sending command to FR",
    "command is being processed",
    "datatransfer in progress ... (press <Q> to abort)",
    "writing database & FDF to FR",
    "data transfer interrupted by user - press any key",
    "data transfer unsuccessful, try lower baudrate - press any key",
    "no data was received from FR - press any key",
    "user-interrupt !",
    "please connect the VOLKSLOGGER and press OK",
    "connection established - press OK",
    "connection not established - press OK",
    "intentionally left blank ...",
    "error: command not implemented",
    "error: you've the wrong FR connected",
    "error: no response from FR",
};

// The open port as the signal handler sees it: claimed before the attributes are saved and
// published only after, so the handler (async-signal-safe calls only) never sees a half.
constexpr int kPortBeingOpened = -2;
std::atomic<int> g_signalPort{-1};
termios g_signalTermEnv{};

void writeText(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0') ++length;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, length);
}

void releaseTTY(int signal) {
    char digits[12];
    int position = sizeof digits - 1;
    digits[position] = '\0';
    unsigned value = signal < 0 ? 0u : static_cast<unsigned>(signal);
    do {
        digits[--position] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && position > 0);
    writeText("VolksLogger-Connection: releaseTTY(");
    writeText(digits + position);
    writeText(")\n");
    const int port = g_signalPort.load();
    if (port >= 0) ::tcsetattr(port, TCSADRAIN, &g_signalTermEnv);
    ::_exit(-1);
}

constexpr int kReleasingSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};
struct sigaction g_previousActions[std::size(kReleasingSignals)];

// The handlers the process had before are put back when the port closes.
void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = releaseTTY;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(kReleasingSignals); ++i) {
        ::sigaction(kReleasingSignals[i], &action, &g_previousActions[i]);
    }
}

void restoreSignalHandlers() {
    for (std::size_t i = 0; i < std::size(kReleasingSignals); ++i) {
        ::sigaction(kReleasingSignals[i], &g_previousActions[i], nullptr);
    }
}

speed_t speedFor(long rate) {
    struct Rate {
        long baud;
        speed_t speed;
    };
    constexpr Rate kRates[] = {{115200, B115200}, {57600, B57600}, {38400, B38400}, {19200, B19200},
                               {9600, B9600},     {4800, B4800},   {2400, B2400},   {1800, B1800},
                               {1200, B1200},     {600, B600},     {300, B300},     {200, B200},
                               {150, B150},       {110, B110}};
    for (const Rate& r : kRates) {
        if (rate >= r.baud) return r.speed;
    }
    return B75;
}

void makeRaw(termios& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR |
                                        IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CSIZE);
#ifdef CRTSCTS
    t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
#ifdef CCTS_OFLOW
    t.c_cflag &=
        ~static_cast<tcflag_t>(CCTS_OFLOW | CRTS_IFLOW | CDTR_IFLOW | CDSR_OFLOW | CCAR_OFLOW);
#endif
    t.c_cflag |= CS8 | CREAD | HUPCL | CLOCAL;
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ISIG | ICANON | IEXTEN);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
}

}  // namespace

const char* statustext(VLS_TXT_ID id) {
    return id >= 0 && id < static_cast<int>(std::size(kStatusTexts)) ? kStatusTexts[id] : "";
}

VLA_SYS::~VLA_SYS() {
    if (portID != -1) serial_close_port();
}

int VLA_SYS::serial_open_port() {
    if (portID != -1) return VLA_ERR_NOERR;
    int unclaimed = -1;
    if (!g_signalPort.compare_exchange_strong(unclaimed, kPortBeingOpened)) {
        return VLA_ERR_COMM;  // another Volkslogger port is open
    }
    const int fd = ::open(portName.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || ::tcgetattr(fd, &newTermEnv) != 0) {
        if (fd >= 0) ::close(fd);
        g_signalPort.store(-1);
        return VLA_ERR_COMM;
    }
    portID = fd;
    oldTermEnv = newTermEnv;
    g_signalTermEnv = oldTermEnv;
    g_signalPort.store(fd);
    installSignalHandlers();
    makeRaw(newTermEnv);
    if (::tcsetattr(portID, TCSADRAIN, &newTermEnv) != 0) {
        serial_close_port();
        return VLA_ERR_COMM;
    }
    return serial_set_baudrate(9600);
}

int VLA_SYS::serial_close_port() {
    if (portID == -1) return VLA_ERR_COMM;
    ::tcsetattr(portID, TCSADRAIN, &oldTermEnv);
    wait_ms(200);
    restoreSignalHandlers();
    g_signalPort.store(-1);
    ::close(portID);
    portID = -1;
    return VLA_ERR_NOERR;
}

int VLA_SYS::serial_set_baudrate(long rate) {
    if (portID == -1) return VLA_ERR_COMM;
    if (rate == 0) return VLA_ERR_NOERR;
    const speed_t speed = speedFor(rate);
    ::cfsetispeed(&newTermEnv, speed);
    ::cfsetospeed(&newTermEnv, speed);
    return ::tcsetattr(portID, TCSADRAIN, &newTermEnv) == 0 ? VLA_ERR_NOERR : VLA_ERR_COMM;
}

int VLA_SYS::serial_out(std::uint8_t byte) {
    if (portID == -1) return VLA_ERR_COMM;
    return ::write(portID, &byte, 1) == 1 ? VLA_ERR_NOERR : VLA_ERR_COMM;
}

int VLA_SYS::serial_in(std::uint8_t* byte) {
    if (portID == -1) return VLA_ERR_COMM;
    return ::read(portID, byte, 1) == 1 ? VLA_ERR_NOERR : VLA_ERR_NOCHAR;
}

int VLA_SYS::serial_empty_io_buffers() {
    if (portID == -1) return VLA_ERR_COMM;
    if (::tcflush(portID, TCIOFLUSH) != 0) std::cerr << "\nERROR: could not empty buffer!\n";
    return VLA_ERR_NOERR;
}

void VLA_SYS::wait_ms(long milliseconds) {
    delayMilliseconds(milliseconds);
}

void VLA_SYS::show(VLS_TXT_ID id) const {
    if (!noninteractive && id != VLS_TXT_NIL) std::cout << statustext(id) << std::endl;
}

void VLA_SYS::showwait(VLS_TXT_ID id) const {
    if (!noninteractive) std::cout << statustext(id) << std::endl;
}

Deadline::Deadline(std::chrono::milliseconds limit)
    : m_end(std::chrono::steady_clock::now() + scaledTimeout(limit)) {}

bool Deadline::passed() const {
    return std::chrono::steady_clock::now() >= m_end;
}

}  // namespace kelvo::vl
