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
    if (m_delivery.joinable()) {
        {
            const std::lock_guard lock(m_linkMutex);
            m_closing = true;
        }
        m_linkChanged.notify_all();
        m_delivery.join();
    }
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
    if (count > 0 && m_answered.exchange(false)) ++m_exchanges;
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

void PseudoTerminal::setLink(LinkKind kind, std::uint64_t seed) {
    if (kind == LinkKind::Plain || m_link) return;
    m_link =
        std::make_unique<LinkShaper>(LinkProfile::of(kind), seed, std::chrono::steady_clock::now());
    m_delivery = std::thread([this] { deliverPackets(); });
}

bool PseudoTerminal::write(ByteSpan bytes) {
    const int baud = lineSpeed();
    if (baud > 0) m_lineTime += transmissionTime(bytes.size(), baud).count();
    m_bytesSent += bytes.size();
    m_answered = true;
    return m_paced && baud > 0 ? writePaced(bytes, baud)
                               : send(bytes, std::chrono::steady_clock::now());
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
        if (!send(part, m_lineFreeAt)) return false;
    }
    return true;
}

bool PseudoTerminal::send(ByteSpan bytes, std::chrono::steady_clock::time_point sentAt) {
    if (!m_link) return writeNow(bytes);
    {
        const std::lock_guard lock(m_linkMutex);
        const auto arrival = m_link->deliveryTime(sentAt);
        if (!m_inFlight.empty() && m_inFlight.back().arrival == arrival) {
            m_inFlight.back().bytes.insert(m_inFlight.back().bytes.end(), bytes.begin(),
                                           bytes.end());
        } else {
            m_inFlight.push_back({arrival, Bytes(bytes.begin(), bytes.end())});
        }
    }
    m_linkChanged.notify_all();
    return true;
}

// The link's own thread: each packet goes onto the line when it arrives. What is still in
// flight when the terminal closes is lost, as on a link that is cut.
void PseudoTerminal::deliverPackets() {
    std::unique_lock lock(m_linkMutex);
    while (!m_closing) {
        if (m_inFlight.empty()) {
            m_linkChanged.wait(lock);
            continue;
        }
        const auto arrival = m_inFlight.front().arrival;
        if (std::chrono::steady_clock::now() < arrival) {
            m_linkChanged.wait_until(lock, arrival);
            continue;
        }
        const Bytes packet = std::move(m_inFlight.front().bytes);
        m_inFlight.pop_front();
        lock.unlock();
        writeNow(packet);
        lock.lock();
    }
}

bool PseudoTerminal::writeNow(ByteSpan bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (count < 0) return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

bool PseudoTerminal::write(const std::string& text) {
    return write(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace kelvo::sim
