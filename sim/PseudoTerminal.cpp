#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace kelvo::sim {

int baudOfSpeed(unsigned int speed) {
    switch (speed) {
        case B75: return 75;
        case B1200: return 1200;
        case B2400: return 2400;
        case B4800: return 4800;
        case B9600: return 9600;
        case B19200: return 19200;
        case B38400: return 38400;
        case B57600: return 57600;
        case B115200: return 115200;
        case B230400: return 230400;
        default: return 0;
    }
}

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        if (m_master >= 0) ::close(m_master);
        throw std::runtime_error("no pseudo-terminal available");
    }
    char name[128] = {};
    ::ptsname_r(m_master, name, sizeof name);
    m_slavePath = name;
    // Holding the slave open keeps the master readable (no EIO) while the host has closed
    // its end between two connections; the line starts raw like a real serial adapter.
    m_slaveKeeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios attributes{};
    if (m_slaveKeeper >= 0 && ::tcgetattr(m_slaveKeeper, &attributes) == 0) {
        ::cfmakeraw(&attributes);
        ::tcsetattr(m_slaveKeeper, TCSANOW, &attributes);
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (m_slaveKeeper >= 0) ::close(m_slaveKeeper);
    if (m_master >= 0) ::close(m_master);
}

int PseudoTerminal::lineSpeed() const {
    termios attributes{};
    if (m_slaveKeeper < 0 || ::tcgetattr(m_slaveKeeper, &attributes) != 0) return 0;
    return baudOfSpeed(::cfgetospeed(&attributes));
}

std::optional<std::uint8_t> PseudoTerminal::readByte(std::chrono::milliseconds timeout) {
    const Bytes bytes = readSome(1, timeout);
    if (bytes.empty()) return std::nullopt;
    return bytes.front();
}

Bytes PseudoTerminal::readSome(std::size_t max, std::chrono::milliseconds timeout) {
    pollfd request{m_master, POLLIN, 0};
    if (::poll(&request, 1, static_cast<int>(timeout.count())) <= 0 ||
        !(request.revents & POLLIN)) {
        return {};
    }
    Bytes bytes(max);
    const ssize_t count = ::read(m_master, bytes.data(), max);
    bytes.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
    return bytes;
}

void PseudoTerminal::drainInput() {
    while (!readSome(4096, std::chrono::milliseconds(0)).empty()) {
    }
}

namespace {

constexpr int kBitsPerByte = 10;  // start bit, eight data bits, stop bit

std::chrono::nanoseconds transmissionTime(std::size_t bytes, int baud) {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * kBitsPerByte *
                                    1'000'000'000 / baud);
}

}  // namespace

bool PseudoTerminal::write(ByteSpan bytes) {
    const int baud = lineSpeed();
    if (baud > 0) m_lineTime += transmissionTime(bytes.size(), baud).count();
    return m_paced && baud > 0 ? writePaced(bytes, baud) : writeNow(bytes);
}

// Each chunk is handed over when its last bit would have arrived, on a schedule that runs on
// from the previous chunk while the line stays busy, so sleeping late never adds up.
bool PseudoTerminal::writePaced(ByteSpan bytes, int baud) {
    const auto bytesPerSecond = static_cast<std::size_t>(baud / kBitsPerByte);
    const std::size_t chunk = std::max<std::size_t>(1, bytesPerSecond / 100);
    m_lineFreeAt = std::max(m_lineFreeAt, std::chrono::steady_clock::now());
    for (std::size_t done = 0; done < bytes.size(); done += chunk) {  // chunks of about 10 ms
        const ByteSpan part = bytes.subspan(done, std::min(chunk, bytes.size() - done));
        m_lineFreeAt += transmissionTime(part.size(), baud);
        std::this_thread::sleep_until(m_lineFreeAt);
        if (!writeNow(part)) return false;
    }
    return true;
}

bool PseudoTerminal::writeNow(ByteSpan bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (count < 0) return false;
        done += static_cast<std::size_t>(count);
        m_bytesSent += static_cast<std::uint64_t>(count);
    }
    return true;
}

bool PseudoTerminal::write(const std::string& text) {
    return write(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace kelvo::sim
