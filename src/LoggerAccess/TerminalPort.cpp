#include "LoggerAccess/TerminalPort.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Format.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// A full output queue is waited out this long, never forever.
constexpr auto kWriteRoomTimeout = 2000ms;

constexpr std::pair<int, speed_t> kSpeeds[] = {
    {230400, B230400}, {115200, B115200}, {57600, B57600}, {38400, B38400}, {19200, B19200},
    {9600, B9600},     {4800, B4800},     {2400, B2400},   {1800, B1800},   {1200, B1200},
    {600, B600},       {300, B300},       {200, B200},     {150, B150},     {110, B110},
    {75, B75},
};

speed_t speedConstant(int baud) {
    for (const auto& [rate, constant] : kSpeeds) {
        if (rate == baud) return constant;
    }
    return B75;
}

int baudOf(speed_t constant) {
    for (const auto& [rate, candidate] : kSpeeds) {
        if (candidate == constant) return rate;
    }
    return 0;
}

// Raw 8N1 without flow control: nothing translated, echoed or held back. Reads never
// block in the line discipline; waiting is done with poll().
void makeRaw(termios& attributes) {
    attributes.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK |
                                                 ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                                 IXANY);
    attributes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    attributes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | CRTSCTS);
    attributes.c_cflag |= CS8 | CREAD | CLOCAL;
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 0;
}

// Terminals are the pseudo-terminal slaves (majors 136 to 143) and every character device
// the kernel files under its tty class. Other character devices are never opened: opening
// some of them has effects of its own.
bool isTerminalDevice(dev_t device) {
    const unsigned int majorNumber = major(device);
    if (majorNumber >= 136 && majorNumber <= 143) return true;
    const std::filesystem::path sysfs = "/sys/dev/char";
    std::error_code error;
    if (!std::filesystem::exists(sysfs, error)) return true;  // no sysfs: isatty decides
    const auto subsystem = std::filesystem::read_symlink(
        sysfs / (std::to_string(majorNumber) + ":" + std::to_string(minor(device))) / "subsystem",
        error);
    return !error && subsystem.filename() == "tty";
}

// ---- The process-wide registry of open terminals, for the signal handler.
//
// A slot is claimed with its attributes and notice written before its descriptor is
// published, and withdrawn before the port closes, so the handler (async-signal-safe calls
// only) never sees half a slot.
struct RestoreSlot {
    std::atomic<int> fd{-1};
    termios attributes{};
    TerminalPort::SignalNotice notice;
};

constexpr int kClaimed = -2;
std::array<RestoreSlot, 16> g_slots;
std::mutex g_registryMutex;
int g_openPorts = 0;
// Every signal whose default action ends the process: the line goes back as it was found
// whichever ends it (SIGQUIT from Ctrl-\ as well as a fault or a timer), unless the process
// handles or ignores the signal itself.
constexpr int kReleaseSignals[] = {SIGHUP,  SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                   SIGFPE,  SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                                   SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,  SIGPOLL, SIGPWR};
// The first of these asks the operation to stop when the tool wants that.
constexpr int kCancellingSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};
struct sigaction g_previousActions[std::size(kReleaseSignals)];
bool g_taken[std::size(kReleaseSignals)] = {};

bool isCancelling(int signalNumber) {
    return std::find(std::begin(kCancellingSignals), std::end(kCancellingSignals), signalNumber) !=
           std::end(kCancellingSignals);
}

void writeToStandardError(const char* text) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
}

// Set: the first signal asks the operation under way to stop, and only a second one ends
// the process.
std::atomic<bool> g_cancelOnSignal{false};
std::atomic<bool> g_signalSeen{false};

extern "C" void releaseTTY(int signalNumber) {
    if (isCancelling(signalNumber) && g_cancelOnSignal.load() && !g_signalSeen.exchange(true)) {
        requestCancellation();
        return;
    }
    char digits[12];
    int position = sizeof digits - 1;
    digits[position] = '\0';
    unsigned value = signalNumber < 0 ? 0u : static_cast<unsigned>(signalNumber);
    do {
        digits[--position] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && position > 0);
    for (RestoreSlot& slot : g_slots) {
        const int fd = slot.fd.load();
        if (fd < 0) continue;
        if (slot.notice.prefix != nullptr) {
            writeToStandardError(slot.notice.prefix);
            writeToStandardError(digits + position);
            writeToStandardError(slot.notice.suffix);
            writeToStandardError("\n");
        }
        ::tcsetattr(fd, TCSANOW, &slot.attributes);
    }
    ::_exit(-1);
}

int claimSlot(int fd, const termios& attributes, TerminalPort::SignalNotice notice) {
    const std::lock_guard lock(g_registryMutex);
    for (std::size_t index = 0; index < g_slots.size(); ++index) {
        RestoreSlot& slot = g_slots[index];
        int free = -1;
        if (!slot.fd.compare_exchange_strong(free, kClaimed)) continue;
        slot.attributes = attributes;
        slot.notice = notice;
        slot.fd.store(fd);
        if (g_openPorts++ == 0) {
            struct sigaction action {};
            action.sa_handler = releaseTTY;
            sigemptyset(&action.sa_mask);
            for (std::size_t i = 0; i < std::size(kReleaseSignals); ++i) {
                ::sigaction(kReleaseSignals[i], nullptr, &g_previousActions[i]);
                g_taken[i] = g_previousActions[i].sa_handler == SIG_DFL &&
                             (g_previousActions[i].sa_flags & SA_SIGINFO) == 0;
                if (g_taken[i]) ::sigaction(kReleaseSignals[i], &action, nullptr);
            }
        }
        return static_cast<int>(index);
    }
    return -1;
}

// The process gets its own handlers back when its last port closes.
void releaseSlot(int index) {
    const std::lock_guard lock(g_registryMutex);
    g_slots[static_cast<std::size_t>(index)].fd.store(-1);
    if (--g_openPorts == 0) {
        for (std::size_t i = 0; i < std::size(kReleaseSignals); ++i) {
            if (g_taken[i]) ::sigaction(kReleaseSignals[i], &g_previousActions[i], nullptr);
        }
    }
}

// Waits in slices, so a cancelled operation stops waiting within one.
constexpr auto kWaitSlice = 50ms;

bool waitFor(int fd, short events, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    for (;;) {
        pollfd request{fd, events, 0};
        const auto left = std::max(std::chrono::milliseconds(0),
                                   std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()));
        const int result = ::poll(&request, 1, static_cast<int>(std::min(left, kWaitSlice).count()));
        if (result > 0) {
            if ((request.revents & events) != 0) return true;
            // A hung-up or failed line: wait out a little of the time-out, so callers that
            // read in a loop until their deadline do not spin.
            std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(10)));
            return false;
        }
        if (result < 0 && errno != EINTR) return false;
        if (left <= kWaitSlice || cancellationRequested()) return false;
    }
}

}  // namespace

void TerminalPort::cancelOnSignal(bool on) {
    g_signalSeen = false;
    g_cancelOnSignal = on;
}

TerminalPort::~TerminalPort() {
    close();
}

bool TerminalPort::refuse(std::string reason, int fd) {
    if (fd >= 0) ::close(fd);
    setLastError(std::move(reason));
    return false;
}

bool TerminalPort::open(const std::string& path) {
    if (isOpen()) return refuse(stringf("A port is open already; %s was not opened.", path.c_str()), -1);
    setLastError({});
    struct stat found {};
    if (::stat(path.c_str(), &found) != 0) {
        return refuse(stringf("Cannot open %s: %s.", path.c_str(), std::strerror(errno)), -1);
    }
    if (!S_ISCHR(found.st_mode) || !isTerminalDevice(found.st_rdev)) {
        return refuse(stringf("%s is not a serial port.", path.c_str()), -1);
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES) return refuse(stringf("No permission to open %s.", path.c_str()), -1);
        if (error == EBUSY) {
            return refuse(stringf("%s is in use by another program.", path.c_str()), -1);
        }
        return refuse(stringf("Cannot open %s: %s.", path.c_str(), std::strerror(error)), -1);
    }
    // The path may have been swapped between the look and the open.
    struct stat opened {};
    termios original{};
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || opened.st_rdev != found.st_rdev ||
        !::isatty(fd) || ::tcgetattr(fd, &original) != 0) {
        return refuse(stringf("%s is not a serial port.", path.c_str()), fd);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return refuse(stringf("%s is in use by another program.", path.c_str()), fd);
    }
    ::ioctl(fd, TIOCEXCL);
    const int slot = claimSlot(fd, original, m_notice);
    if (slot < 0) return refuse(stringf("Too many ports are open; %s was not opened.", path.c_str()), fd);
    termios raw = original;
    makeRaw(raw);
    if (::tcsetattr(fd, TCSANOW, &raw) != 0) {
        const int error = errno;
        releaseSlot(slot);
        return refuse(stringf("Cannot set up %s: %s.", path.c_str(), std::strerror(error)), fd);
    }
    m_fd = fd;
    m_registrySlot = slot;
    return true;
}

void TerminalPort::close() {
    if (!isOpen()) return;
    const termios original = g_slots[static_cast<std::size_t>(m_registrySlot)].attributes;
    releaseSlot(m_registrySlot);
    ::tcsetattr(m_fd, TCSANOW, &original);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_registrySlot = -1;
}

bool TerminalPort::setSpeed(int baud) {
    termios attributes{};
    if (!isOpen() || ::tcgetattr(m_fd, &attributes) != 0) return false;
    const speed_t constant = speedConstant(standardSpeedAtOrBelow(baud));
    if (::cfsetispeed(&attributes, constant) != 0 || ::cfsetospeed(&attributes, constant) != 0) {
        return false;
    }
    // What was written before goes out at the old speed.
    return ::tcsetattr(m_fd, TCSADRAIN, &attributes) == 0;
}

int TerminalPort::speed() const {
    termios attributes{};
    if (!isOpen() || ::tcgetattr(m_fd, &attributes) != 0) return -1;
    const int input = baudOf(::cfgetispeed(&attributes));
    const int output = baudOf(::cfgetospeed(&attributes));
    return input == output ? input : -1;
}

std::size_t TerminalPort::write(ByteSpan bytes) {
    if (!isOpen()) return 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t result = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (result > 0) {
            done += static_cast<std::size_t>(result);
        } else if (result < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else if (!waitFor(m_fd, POLLOUT, scaledTimeout(kWriteRoomTimeout))) {
            break;
        }
    }
    return done;
}

std::size_t TerminalPort::read(MutableByteSpan buffer, std::chrono::milliseconds timeout) {
    if (!isOpen() || buffer.empty() || !waitFor(m_fd, POLLIN, timeout)) return 0;
    const ssize_t result = ::read(m_fd, buffer.data(), buffer.size());
    return result > 0 ? static_cast<std::size_t>(result) : 0;
}

bool TerminalPort::flush(Queue queue) {
    constexpr int kSelectors[] = {TCIFLUSH, TCOFLUSH, TCIOFLUSH};
    return isOpen() && ::tcflush(m_fd, kSelectors[static_cast<int>(queue)]) == 0;
}

bool TerminalPort::drain() {
    return isOpen() && ::tcdrain(m_fd) == 0;
}

}  // namespace kelvo
