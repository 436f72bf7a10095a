#include "LoggerAccess/Flarm/binarycomm.h"

#include <algorithm>
#include <array>

#include "LoggerAccess/Flarm/crc.h"
#include "LoggerAccess/Flarm/serial.h"
#include "base/Delay.h"
#include "base/Log.h"

namespace kelvo::flarm {
namespace {

// A device back in text mode no longer answers "exit"; that silence is not waited out long.
constexpr int kExitAnswerTimeoutMilliseconds = 80;
// Bytes skipped while looking for a start byte before the answer is given up.
constexpr int kMaxSkippedBytes = 4096;

void appendEscaped(Bytes& out, std::uint8_t byte) {
    if (byte == binarycomm::kStartByte) {
        out.push_back(binarycomm::kEscapeByte);
        out.push_back(binarycomm::kEscapedStart);
    } else if (byte == binarycomm::kEscapeByte) {
        out.push_back(binarycomm::kEscapeByte);
        out.push_back(binarycomm::kEscapedEscape);
    } else {
        out.push_back(byte);
    }
}

// The header in wire order, crc last; the checksum covers the first six bytes.
std::array<std::uint8_t, Message::kHeaderSize> headerBytes(const Message& message) {
    return {static_cast<std::uint8_t>(message.length & 0xFF),
            static_cast<std::uint8_t>(message.length >> 8),
            message.version,
            static_cast<std::uint8_t>(message.seq & 0xFF),
            static_cast<std::uint8_t>(message.seq >> 8),
            message.type,
            static_cast<std::uint8_t>(message.crc & 0xFF),
            static_cast<std::uint8_t>(message.crc >> 8)};
}

// The payload text up to its end or its first NUL.
std::string textAfter(const Bytes& payload, std::size_t skipped) {
    if (payload.size() <= skipped) return {};
    const auto begin = payload.begin() + static_cast<std::ptrdiff_t>(skipped);
    return std::string(begin, std::find(begin, payload.end(), 0));
}

}  // namespace

bool binarycomm::rcv(std::uint8_t& byte) {
    return unescaped([this](std::uint8_t& next) { return m_port.read(next); }, byte);
}

bool binarycomm::unescaped(const ByteSource& source, std::uint8_t& byte) {
    byte = 0;
    std::uint8_t received = 0;
    if (!source(received)) return false;
    if (received != kEscapeByte) {
        byte = received;
        return true;
    }
    if (!source(received)) return false;
    if (received == kEscapedStart) {
        byte = kStartByte;
    } else if (received == kEscapedEscape) {
        byte = kEscapeByte;
    } else {
        return false;
    }
    return true;
}

std::uint16_t binarycomm::computeCRC(const Message& message) {
    crc checksum;
    const auto header = headerBytes(message);
    std::for_each(header.begin(), header.begin() + 6, [&](std::uint8_t b) { checksum.update(b); });
    for (const std::uint8_t byte : message.data) checksum.update(byte);
    return checksum.getCRC();
}

Bytes binarycomm::encodeFrame(const Message& message) {
    Bytes frame{kStartByte};
    for (const std::uint8_t byte : headerBytes(message)) appendEscaped(frame, byte);
    for (const std::uint8_t byte : message.data) appendEscaped(frame, byte);
    return frame;
}

bool binarycomm::sendMsg(Message& message) {
    message.seq = m_sequence++;
    message.crc = computeCRC(message);
    return m_port.write(encodeFrame(message));
}

bool binarycomm::skipToStartByte(const ByteSource& source) {
    for (int skipped = 0; skipped <= kMaxSkippedBytes; ++skipped) {
        std::uint8_t byte = 0;
        if (!source(byte)) {
            logLine("read bla returned false.\r");
            return false;
        }
        if (byte == kStartByte) return true;
    }
    logLine("No start byte in the answer.");
    return false;
}

bool binarycomm::rcvMsg(Message& message) {
    // The start byte is awaited the receive time-out (that is how a silent device is told);
    // inside the frame, a gap is a slow link's up to SerialPort::kAnswerGap.
    bool begun = false;
    return receiveFrame(
        [this, &begun](std::uint8_t& byte) {
            const bool received = begun ? m_port.readInAnswer(byte) : m_port.read(byte);
            begun = begun || (received && byte == kStartByte);
            return received;
        },
        message);
}

bool binarycomm::receiveFrame(const ByteSource& source, Message& message) {
    if (!skipToStartByte(source)) return false;
    std::array<std::uint8_t, Message::kHeaderSize> header{};
    for (std::uint8_t& byte : header) {
        if (!unescaped(source, byte)) return false;
    }
    message.length = static_cast<std::uint16_t>(header[0] | header[1] << 8);
    message.version = header[2];
    message.seq = static_cast<std::uint16_t>(header[3] | header[4] << 8);
    message.type = header[5];
    message.crc = static_cast<std::uint16_t>(header[6] | header[7] << 8);
    if (message.length > Message::kMaxSize) {
        logf("Length > MAXSIZE. How can that bee?\r %02X %02X", header[0], header[1]);
        return false;
    }
    if (message.length < Message::kHeaderSize) {
        logf("Length %u is shorter than the header.", message.length);
        return false;
    }
    message.data.assign(message.length - Message::kHeaderSize, 0);
    for (std::uint8_t& byte : message.data) {
        if (!unescaped(source, byte)) return false;
    }
    if (computeCRC(message) != message.crc) {
        logLine("CRC calculation failed\r");
        return false;
    }
    return true;
}

bool binarycomm::request(Message& message, long waitMilliseconds, int answerTimeoutMilliseconds) {
    m_lastRequestRefused = false;
    m_port.flush();
    if (!sendMsg(message)) return false;
    // The answer is taken as soon as it comes; the device is given the request's wait and
    // the read's own time-out.
    m_port.setRcvTimeout(static_cast<int>(waitMilliseconds) + answerTimeoutMilliseconds);
    const bool received = rcvMsg(message);
    m_lastRequestRefused = received && message.type != kAck;
    return received && message.type == kAck;
}

bool binarycomm::ping() {
    Message message = Message::request(kPing);
    if (request(message, 100)) return true;
    logLine("Nack \r");
    return false;
}

bool binarycomm::setBaudRate(std::uint8_t code) {
    Message message = Message::request(kSetBaudRate, {code});
    return request(message, 100);
}

bool binarycomm::selectRecord(std::uint8_t record) {
    Message message = Message::request(kSelectRecord, {record});
    return request(message, 100);
}

bool binarycomm::getRecordInfo(std::string& text) {
    Message message = Message::request(kGetRecordInfo);
    if (!request(message, 100)) return false;
    logf("Record info answer length %u.", message.length);
    text = textAfter(message.data, 2);
    return true;
}

bool binarycomm::getIGCData(std::string& text, int& progress) {
    Message message = Message::request(kGetIGCData);
    if (!request(message, 1000)) return false;
    progress = message.data.size() > 2 ? message.data[2] : 0;
    text = textAfter(message.data, 3);
    return true;
}

bool binarycomm::exit() {
    Message message = Message::request(kExit);
    return request(message, 1, kExitAnswerTimeoutMilliseconds);
}

void binarycomm::printMessage(const Message& message) {
    logf("Message: length %u, version %u, seq %u, type 0x%02X, crc 0x%04X", message.length,
         message.version, message.seq, message.type, message.crc);
}

}  // namespace kelvo::flarm
