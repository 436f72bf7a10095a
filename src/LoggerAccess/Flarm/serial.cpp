#include "LoggerAccess/Flarm/serial.h"

#include <algorithm>
#include <utility>

#include "LoggerAccess/TerminalPort.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {

serial::serial(std::unique_ptr<SerialPort> port)
    : m_port(port ? std::move(port) : std::make_unique<TerminalPort>()) {}

serial::~serial() {
    close();
}

bool serial::open(const std::string& path) {
    if (isOpen()) return false;
    if (m_port->open(path)) return true;
    logf("Could not open serial port %s.", path.c_str());
    logLine(m_port->lastError());
    return false;
}

void serial::close() {
    if (!isOpen()) return;
    m_port->drain();
    m_port->close();
}

bool serial::setBaudRate(std::uint32_t baud) {
    return isOpen() && m_port->setSpeed(static_cast<int>(std::min<std::uint32_t>(baud, 115200)));
}

std::uint32_t serial::getBaudRate() const {
    return static_cast<std::uint32_t>(std::max(0, m_port->speed()));
}

bool serial::setRcvTimeout(int milliseconds) {
    m_rcvTimeout = std::chrono::milliseconds(std::max(milliseconds, 0));
    return true;
}

std::chrono::milliseconds serial::firstByteWait() const {
    return m_rcvTimeout.count() == 0 ? std::chrono::milliseconds(0) : scaledTimeout(m_rcvTimeout);
}

bool serial::read(MutableByteSpan buffer, std::size_t& count) {
    count = m_port->read(buffer, firstByteWait());
    return count > 0;
}

bool serial::read(std::uint8_t& byte) {
    return m_port->readByte(byte, firstByteWait());
}

bool serial::readInAnswer(std::uint8_t& byte) {
    return m_port->readByte(byte, std::max(firstByteWait(), SerialPort::kAnswerGap));
}

bool serial::write(ByteSpan bytes) {
    return isOpen() && m_port->write(bytes) == bytes.size();
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
        logLine("Trying to flush buffers for port -1.");
        return false;
    }
    if (!m_port->flush(SerialPort::Queue::Both)) {
        logLine("Error waiting for flush.");
        return false;
    }
    return true;
}

}  // namespace kelvo::flarm
