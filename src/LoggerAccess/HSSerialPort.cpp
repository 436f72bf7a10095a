#include "LoggerAccess/HSSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <utility>

#include "LoggerAccess/TerminalPort.h"

#include "base/Cancellation.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// The coarse clock of the read time-outs: whole seconds (shortened by the delay scale in
// tests), so "more than one second has passed" means one to two seconds of real waiting.
class WholeSecondClock {
  public:
    WholeSecondClock() : m_tick(scaledTimeout(1000ms)), m_start(now()) {}
    long long secondsPassed() const { return now() - m_start; }

  private:
    long long now() const { return std::chrono::steady_clock::now().time_since_epoch() / m_tick; }

    std::chrono::milliseconds m_tick;
    long long m_start;
};

// readData stops on a quiet line past two seconds; a device that never falls quiet is cut
// off after this many, so the call stays bounded.
constexpr long long kReadDataLimitSeconds = 30;

// How long one byte is waited for: the 0.1 s of the recorder links' line discipline.
constexpr auto kReadCharTimeout = 100ms;

// The speeds the recorders run at; anything else reads back as 0.
int recognisedBaud(int baud) {
    constexpr int kRecorderSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200};
    for (const int speed : kRecorderSpeeds) {
        if (speed == baud) return baud;
    }
    return baud < 0 ? -1 : 0;
}

void logError(const char* format) {
    const int error = errno;
    logf(format, std::strerror(error), error);
}

char hexDigit(unsigned value) {
    return "0123456789ABCDEF"[value & 0x0F];
}

}  // namespace

HSSerialPort::HSSerialPort(std::unique_ptr<SerialPort> port)
    : m_port(port ? std::move(port) : std::make_unique<TerminalPort>()) {}

HSSerialPort::~HSSerialPort() {
    closePort();
}

void HSSerialPort::setDescriptor(const std::string& path) {
    if (isOpen()) {
        logLine("Cannot change the name of an open Serial Port.");
        return;
    }
    m_bsdName = path;
}

bool HSSerialPort::connect() {
    logLine("Calling empty method 'connect.");
    return false;
}

bool HSSerialPort::openPort() {
    if (m_port->open(m_bsdName)) return true;
    logLine(m_port->lastError());
    return false;
}

void HSSerialPort::closePort() {
    logLine("Closing serial port ...");
    if (!isOpen()) {
        // Already closed (a driver closes on disconnect and again when destroyed): there
        // are no attributes to restore.
        logLine("Trying to close port -1.");
        return;
    }
    drainBuffers();
    m_port->close();
}

void HSSerialPort::setBaudrate(int requested) {
    if (requested != 0) {
        if (m_port->setSpeed(requested)) {
            logf("Set port speed to %d.", requested);
        } else {
            logError("Error submitting Baud rate - %s(%d).");
        }
    }
    if (getBaudRate() != requested) logLine("Baud rate not what I expected it to become.");
}

int HSSerialPort::getBaudRate() {
    const int speed = m_port->speed();
    if (speed == -1 && isOpen()) logError("Error getting Port Attributes - %s(%d).");
    return recognisedBaud(speed);
}

int HSSerialPort::writeChar(std::uint8_t byte) {
    return m_port->writeByte(byte) ? 1 : 0;
}

int HSSerialPort::readChar(std::uint8_t* byte) {
    if (byte == nullptr) return 0;
    return m_port->readByte(*byte, kReadCharTimeout) ? 1 : 0;
}

int HSSerialPort::readBuffer(std::uint8_t* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const WholeSecondClock clock;
    auto lastArrival = std::chrono::steady_clock::now();
    int total = 0;
    while (total < size && !cancellationRequested()) {
        // The coarse clock bounds the wait for the answer; once it has begun, a gap may be as
        // long as a slow link leaves.
        const bool cutOff =
            total == 0 ? clock.secondsPassed() > 1
                       : std::chrono::steady_clock::now() - lastArrival > SerialPort::kAnswerGap;
        if (cutOff) break;
        // Each read takes what has come, waiting at most a byte's time as the line
        // discipline of the recorder links did, so a complete answer is taken at once.
        const auto count = static_cast<int>(m_port->read(
            MutableByteSpan(buffer + total, static_cast<std::size_t>(size - total)),
            kReadCharTimeout));
        if (count > 0) lastArrival = std::chrono::steady_clock::now();
        total += count;
        logf("Have read %d bytes, need %d more.", count, size - total);
    }
    return total;
}

int HSSerialPort::readReply(std::uint8_t* buffer, int size, std::chrono::milliseconds timeout,
                            std::chrono::milliseconds quiet) {
    using Clock = std::chrono::steady_clock;
    if (buffer == nullptr || size <= 0) return 0;
    const auto end = Clock::now() + timeout;
    std::size_t total = 0;
    while (total < static_cast<std::size_t>(size)) {
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (total > 0) wait = std::min(wait, quiet);
        if (wait.count() <= 0) break;
        const std::size_t count = m_port->read(
            MutableByteSpan(buffer + total, static_cast<std::size_t>(size) - total), wait);
        if (count == 0 && (total > 0 || Clock::now() >= end || cancellationRequested())) break;
        total += count;
    }
    return static_cast<int>(total);
}

void HSSerialPort::flushBuffers() {
    if (!isOpen()) {
        logLine("Trying to flush buffers for port -1.");
    } else if (!m_port->flush(SerialPort::Queue::Both)) {
        logError("Error waiting for flush - %s(%d).");
    }
}

void HSSerialPort::flushR() {
    if (!isOpen()) {
        logLine("Trying to flush read buffer for port -1.");
    } else if (!m_port->flush(SerialPort::Queue::Input)) {
        logError("Error waiting for flush I - %s(%d).");
    }
}

void HSSerialPort::flushX() {
    if (!isOpen()) {
        logLine("Trying to flush write buffer for port -1.");
    } else if (!m_port->flush(SerialPort::Queue::Output)) {
        logError("Error waiting for flush O - %s(%d).");
    }
}

void HSSerialPort::drainBuffers() {
    if (!isOpen()) {
        logLine("Trying to drain buffers for port -1.");
    } else if (!m_port->drain()) {
        logError("Error waiting for drain - %s(%d).");
    }
}

int HSSerialPort::readData(Bytes* data) {
    if (data == nullptr) return 0;
    const WholeSecondClock clock;
    int count = 0;
    while (clock.secondsPassed() <= kReadDataLimitSeconds) {
        delayMicroseconds(100);
        std::uint8_t byte = 0;
        const int result = readChar(&byte);
        if (result == 1) {
            data->push_back(byte);
            ++count;
            continue;
        }
        if (clock.secondsPassed() > 2) break;
        logLine("Effe wachte!");
        delayMilliseconds(10);
    }
    return count;
}

std::string HSSerialPort::readString() {
    Bytes buffer(2048);
    const int count = readBuffer(buffer.data(), static_cast<int>(buffer.size()));
    const auto end = buffer.begin() + count;
    return std::string(buffer.begin(), std::find(buffer.begin(), end, std::uint8_t{0}));
}

std::uint32_t HSSerialPort::readLong(int count) {
    std::uint8_t buffer[4] = {};
    const int read = readBuffer(buffer, std::clamp(count, 0, 4));
    logf("%d bytes: %d %d %d.", read, buffer[0], buffer[1], buffer[2]);
    std::uint32_t value = 0;
    for (int i = 0; i < read; ++i) value = (value << 8) | buffer[i];
    return value;
}

int HSSerialPort::writeCString(std::string_view text, bool withCR, bool withLF) {
    for (const char character : text) {
        if (writeChar(static_cast<std::uint8_t>(character)) != 1) return 0;
    }
    if (withCR) writeChar(13);
    if (withLF) writeChar(10);
    return static_cast<int>(text.size());
}

void HSSerialPort::delaySeconds(int seconds) {
    delayMicroseconds(seconds * 1'000'000L);
}

void HSSerialPort::delayMilliSeconds(int milliseconds) {
    delayMicroseconds(milliseconds * 1'000L);
}

void HSSerialPort::delayMicroSeconds(int microseconds) {
    delayMicroseconds(microseconds);
}

void HSSerialPort::dumpBuffer(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr) {
        logLine("Attempt to dump data pointer from NULL pointer.");
        return;
    }
    if (size == 0) {
        logLine("Attempt to dump data pointer with size 0.");
        return;
    }
    logf("Dumping %d bytes.", static_cast<int>(size));
    for (std::size_t offset = 0; offset < size; offset += 16) {
        std::string line(66, ' ');
        const std::size_t rowLength = std::min<std::size_t>(16, size - offset);
        for (std::size_t i = 0; i < rowLength; ++i) {
            const std::uint8_t byte = bytes[offset + i];
            line[3 * i] = firstNibbleFromByte(byte);
            line[3 * i + 1] = secondNibbleFromByte(byte);
            line[50 + i] = (byte >= 0x20 && byte <= 0x7F) ? static_cast<char>(byte) : '.';
        }
        logf("%.8d: %s", static_cast<int>(offset), line.c_str());
    }
}

void HSSerialPort::dumpData(const Bytes* data) {
    if (data == nullptr) {
        logLine("Attempt to dump an NSData buffer that is NULL.");
    } else if (data->empty()) {
        logLine("Attempt to dump an NSData buffer with size 0.");
    } else {
        dumpBuffer(data->data(), data->size());
    }
}

char HSSerialPort::firstNibbleFromByte(std::uint8_t byte) {
    return hexDigit(byte >> 4);
}

char HSSerialPort::secondNibbleFromByte(std::uint8_t byte) {
    return hexDigit(byte);
}

}  // namespace kelvo
