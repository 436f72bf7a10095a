#include "LoggerAccess/Flarm/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

constexpr std::array<std::pair<std::uint32_t, speed_t>, 15> kSpeeds{{
    {115200, B115200},
    {57600, B57600},
    {38400, B38400},
    {19200, B19200},
    {9600, B9600},
    {4800, B4800},
    {2400, B2400},
    {1800, B1800},
    {1200, B1200},
    {600, B600},
    {300, B300},
    {200, B200},
    {150, B150},
    {110, B110},
    {75, B75},
}};

// A new serial device on Linux starts in cooked mode, which would mangle binary frames
// (CR/NL translation, XON/XOFF, erase characters) and echo them back to the device.
void makeRawEightNOne(termios& settings) {
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                               ICRNL | IXON | IXOFF | IXANY);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    // Reads never block in the driver: waiting is done with poll().
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
}

}  // namespace

serial::~serial() {
    close();
}

bool serial::open(const std::string& path) {
    if (isOpen()) return false;
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        logf("Could not open serial port %s.", path.c_str());
        return false;
    }
    if (::tcgetattr(m_fd, &m_savedSettings) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_settings = m_savedSettings;
    makeRawEightNOne(m_settings);
    if (!applySettings()) {
        close();
        return false;
    }
    return true;
}

void serial::close() {
    if (!isOpen()) return;
    ::tcsetattr(m_fd, TCSANOW, &m_savedSettings);
    delayMilliseconds(1);
    ::close(m_fd);
    m_fd = -1;
}

speed_t serial::speedFor(std::uint32_t baud) {
    for (const auto& [rate, speed] : kSpeeds) {
        if (rate <= baud) return speed;
    }
    return B75;
}

bool serial::setBaudRate(std::uint32_t baud) {
    if (!isOpen()) return false;
    const speed_t speed = speedFor(baud);
    if (::cfsetispeed(&m_settings, speed) != 0 || ::cfsetospeed(&m_settings, speed) != 0) {
        return false;
    }
    return applySettings();
}

std::uint32_t serial::getBaudRate() const {
    const speed_t speed = ::cfgetospeed(&m_settings);
    for (const auto& [rate, candidate] : kSpeeds) {
        if (candidate == speed) return rate;
    }
    return 0;
}

bool serial::setRcvTimeout(int milliseconds) {
    m_rcvTimeout = std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    return true;
}

bool serial::applySettings() {
    return ::tcsetattr(m_fd, TCSADRAIN, &m_settings) == 0;
}

bool serial::waitFor(short events, std::chrono::milliseconds timeout) const {
    pollfd request{m_fd, events, 0};
    int result = 0;
    do {
        result = ::poll(&request, 1, static_cast<int>(timeout.count()));
    } while (result < 0 && errno == EINTR);
    return result > 0 && (request.revents & events) != 0;
}

bool serial::read(MutableByteSpan buffer, std::size_t& count) {
    count = 0;
    if (!isOpen() || buffer.empty()) return false;
    const auto timeout =
        m_rcvTimeout.count() == 0 ? std::chrono::milliseconds(0) : scaledTimeout(m_rcvTimeout);
    if (!waitFor(POLLIN, timeout)) return false;
    const ssize_t result = ::read(m_fd, buffer.data(), buffer.size());
    if (result <= 0) return false;
    count = static_cast<std::size_t>(result);
    return true;
}

bool serial::read(std::uint8_t& byte) {
    std::size_t count = 0;
    return read(MutableByteSpan(&byte, 1), count) && count == 1;
}

bool serial::write(ByteSpan bytes) {
    if (!isOpen()) return false;
    // A full output queue is waited out for a bounded time, never forever.
    constexpr std::chrono::milliseconds kWriteTimeout{2000};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t result = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (result > 0) {
            done += static_cast<std::size_t>(result);
        } else if (result < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        } else if (!waitFor(POLLOUT, scaledTimeout(kWriteTimeout))) {
            return false;
        }
    }
    return true;
}

bool serial::write(std::uint8_t byte) {
    return write(ByteSpan(&byte, 1));
}

bool serial::writeStr(std::string_view text) {
    return write(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool serial::writeLn(std::string_view text) {
    return writeStr(text) && writeStr("\r\n");
}

bool serial::readLn(std::string& line, std::size_t max) {
    line.clear();
    while (line.size() < max) {
        std::uint8_t byte = 0;
        if (!read(byte)) return false;
        if (byte == '\r' && line.empty()) continue;
        line.push_back(static_cast<char>(byte));
        if (byte == '\n') return true;
    }
    return false;
}

bool serial::flush() {
    if (!isOpen()) {
        logf("Trying to flush buffers for port %d.", m_fd);
        return false;
    }
    if (::tcflush(m_fd, TCIOFLUSH) != 0) {
        logLine("Error waiting for flush.");
        return false;
    }
    return true;
}

}  // namespace kelvo::flarm
