#include "LoggerAccess/LX/LXSerial.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iterator>

#include "LoggerAccess/LX/CRC8.h"
#include "base/Log.h"

namespace kelvo {
namespace {

constexpr std::size_t kProgressStep = 1024;

// The port whose attributes the signal handler restores. The attributes are written before
// the descriptor is published, and the descriptor is withdrawn before the port closes.
std::atomic<int> g_releaseDescriptor{-1};
termios g_releaseAttributes{};

// Only async-signal-safe calls: write, tcsetattr, _exit.
extern "C" void releaseTTY(int signalNumber) {
    char line[64] = "LX-Logger-Connection: releaseTTY ";
    std::size_t length = sizeof "LX-Logger-Connection: releaseTTY " - 1;
    char digits[12];
    int count = 0;
    unsigned value = static_cast<unsigned>(signalNumber);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < 11);
    while (count > 0) line[length++] = digits[--count];
    line[length++] = '\n';
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
    const int descriptor = g_releaseDescriptor.load();
    if (descriptor >= 0) ::tcsetattr(descriptor, TCSANOW, &g_releaseAttributes);
    ::_exit(-1);
}

constexpr int kReleaseSignals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};
// The dispositions found before the handler went in; given back when the port closes.
struct sigaction g_previousActions[std::size(kReleaseSignals)];
bool g_releaseHandlerInstalled = false;

void installReleaseHandler() {
    struct sigaction action {};
    action.sa_handler = releaseTTY;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (std::size_t i = 0; i < std::size(kReleaseSignals); ++i) {
        ::sigaction(kReleaseSignals[i], &action,
                    g_releaseHandlerInstalled ? nullptr : &g_previousActions[i]);
    }
    g_releaseHandlerInstalled = true;
}

// Withdraws the port from the signal handler and gives the process its own handlers back.
void withdrawFromReleaseHandler(int descriptor) {
    if (g_releaseDescriptor.load() != descriptor) return;
    g_releaseDescriptor = -1;
    if (!g_releaseHandlerInstalled) return;
    for (std::size_t i = 0; i < std::size(kReleaseSignals); ++i) {
        ::sigaction(kReleaseSignals[i], &g_previousActions[i], nullptr);
    }
    g_releaseHandlerInstalled = false;
}

void makeRaw(termios& attributes) {
    attributes.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    attributes.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    attributes.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    attributes.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | CRTSCTS);
    attributes.c_cflag |= CS8 | CLOCAL;
    // A read answers as soon as one byte is there, or empty after 0.1 s.
    attributes.c_cc[VMIN] = 0;
    attributes.c_cc[VTIME] = 1;
}

}  // namespace

LXSerial::~LXSerial() {
    withdrawFromReleaseHandler(m_fileDescriptor);
}

bool LXSerial::connect() {
    logLine("Opening Port.");
    // Opened without waiting for carrier; reads are timed by the line discipline below.
    m_fileDescriptor = ::open(bsdName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fileDescriptor == -1) {
        logLine("No logger found!");
        return false;
    }
    ::fcntl(m_fileDescriptor, F_SETFL, ::fcntl(m_fileDescriptor, F_GETFL) & ~O_NONBLOCK);
    ::tcgetattr(m_fileDescriptor, &m_currentTTYAttrs);
    m_originalTTYAttrs = m_currentTTYAttrs;
    g_releaseDescriptor = -1;
    g_releaseAttributes = m_originalTTYAttrs;
    g_releaseDescriptor = m_fileDescriptor;
    installReleaseHandler();
    makeRaw(m_currentTTYAttrs);
    ::tcsetattr(m_fileDescriptor, TCSANOW, &m_currentTTYAttrs);
    return true;
}

void LXSerial::closePort() {
    withdrawFromReleaseHandler(m_fileDescriptor);
    HSSerialPort::closePort();
}

Bytes LXSerial::readBlockWithSize(int size, const BlockProgress& progress) {
    Bytes block;
    block.reserve(static_cast<std::size_t>(std::max(size, 0)));
    CRC8 crc;
    for (int i = 0; i <= size; ++i) {
        std::uint8_t byte = 0;
        if (readChar(&byte) != 1) break;
        crc.calc_crc(byte);
        if (i == size) break;  // the CRC byte
        block.push_back(byte);
        if (progress && block.size() % kProgressStep == 0) progress(block.size());
    }
    m_lastBlockOK = crc.get_crc() == 0 && static_cast<int>(block.size()) == size;
    if (crc.get_crc() == 0) {
        logf("ReadBlockWithSize (%d): CRC OK.", size);
    } else {
        logf("ReadBlockWithSize (%d): CRC mismatch (0x%x).", size, crc.get_crc());
    }
    return block;
}

void LXSerial::writeBlock(ByteSpan bytes, const BlockProgress& progress) {
    CRC8 crc;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        writeChar(crc.calc_crc(bytes[i]));
        if (progress && (i + 1) % kProgressStep == 0) progress(i + 1);
    }
    writeChar(crc.get_crc());
}

void LXSerial::writeString(std::string_view text) {
    writeBlock(ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace kelvo
