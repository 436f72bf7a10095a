#include "LoggerAccess/Volkslogger/VLA_XFR.h"

#include <algorithm>
#include <cstring>

#include "base/Crc16.h"
#include "base/Delay.h"

namespace kelvo::vl {
namespace {

constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ETX = 0x03;
constexpr std::uint8_t ENQ = 0x05;
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t DLE = 0x10;
constexpr std::uint8_t CAN = 0x18;

constexpr std::chrono::seconds kCommandReplyLimit{4};
constexpr std::uint8_t kNoReply = 0xFF;
constexpr long kProgressStep = 512;  // bytes between two progress reports

// Beyond this many bytes on the line a block is taken as runaway noise (a stuffed block is
// at most twice its payload and CRC plus its frame).
long runawayLimit(long maxLength) {
    return 2 * (std::max(0L, maxLength) + 2) + 4096;
}

}  // namespace

void VLA_XFR::set_databaud(long rate) {
    m_databaud = rate;
    switch (rate) {
        case 19200:
            m_databaudindex = 2;
            break;
        case 38400:
            m_databaudindex = 3;
            break;
        case 57600:
            m_databaudindex = 4;
            break;
        case 115200:
            m_databaudindex = 5;
            break;
        default:
            m_databaudindex = 1;
            break;
    }
}

int VLA_XFR::sendcommand(std::uint8_t cmd, std::uint8_t param1, std::uint8_t param2) {
    wait_ms(100);
    serial_empty_io_buffers();
    for (int i = 0; i < 6; ++i) {
        serial_out(CAN);
        wait_ms(2);
    }
    serial_out(ENQ);
    wait_ms(2);
    const std::uint8_t frame[8] = {cmd, param1, param2, 0, 0, 0, 0, 0};
    std::uint16_t crc = 0;
    for (const std::uint8_t byte : frame) {
        serial_out(byte);
        crc = crc16Update(crc, byte);
        wait_ms(2);
    }
    serial_out(static_cast<std::uint8_t>(crc >> 8));
    wait_ms(2);
    serial_out(static_cast<std::uint8_t>(crc & 0xFF));
    wait_ms(2);

    const Deadline deadline(kCommandReplyLimit);
    std::uint8_t reply = kNoReply;
    while (serial_in(&reply) != VLA_ERR_NOERR && !deadline.passed()) wait_ms(1);
    if (deadline.passed()) reply = kNoReply;
    switch (reply) {
        case 0:
            break;
        case 1:
            showwait(VLS_TXT_NOFR);
            break;
        case 2:
            showwait(VLS_TXT_WRONGFR);
            break;
        case kNoReply:
            showwait(VLS_TXT_FR_NORESPONSE);
            break;
        default:
            break;
    }
    return reply;
}

int VLA_XFR::connect(std::chrono::milliseconds wait, int quiet) {
    if (!quiet) show(VLS_TXT_CONNECT);
    serial_empty_io_buffers();
    for (int i = 0; i < 10; ++i) {
        serial_out(CAN);
        wait_ms(1);
    }
    const Deadline deadline{wait};
    int result = VLA_ERR_NOERR;
    std::uint8_t byte = 0;
    do {
        serial_out('R');
        wait_ms(30);
        if (deadline.passed()) {
            result = VLA_ERR_NOANSWER;
            break;
        }
    } while (serial_in(&byte) != VLA_ERR_NOERR || byte != 'L');

    // Further 'L's may follow; a quiet line or the fourth 'L' completes the handshake.
    for (int count = 1; result == VLA_ERR_NOERR;) {
        if (serial_in(&byte) == VLA_ERR_NOERR) {
            if (byte != 'L') {
                result = VLA_ERR_NOANSWER;
                break;
            }
            if (++count > 3) break;
        }
        if (deadline.passed()) {
            result = VLA_ERR_TIMEOUT;
            break;
        }
        if (serial_in(&byte) != VLA_ERR_NOERR) break;
    }
    if (!quiet) show(result == VLA_ERR_NOERR ? VLS_TXT_CONN_OK : VLS_TXT_CONN_FL);
    // The recorder settles before its first command; after no answer nothing follows.
    if (result == VLA_ERR_NOERR) wait_ms(300);
    serial_empty_io_buffers();
    return result;
}

bool VLA_XFR::awaitByte(std::uint8_t* byte, bool solicit, bool answerBegun) {
    const Deadline silence(kSilenceLimit,
                           answerBegun ? SerialPort::kAnswerGap : std::chrono::milliseconds(0));
    if (silence.passed()) return false;  // cancelled
    while (serial_in(byte) != VLA_ERR_NOERR) {
        if (silence.passed()) {
            m_lastTransferSilent = true;
            return false;
        }
        wait_ms(1);
        if (solicit) {
            serial_out(ACK);  // a block comes while the host solicits it
            wait_ms(1);
        }
    }
    return true;
}

void VLA_XFR::reportProgress(long done) const {
    if (m_progress) m_progress(m_progressBase + done, m_progressTotal);
}

long VLA_XFR::readlog(std::uint8_t* buffer, long maxLength) {
    maxLength = std::max(0L, maxLength);
    std::memset(buffer, 0xFF, static_cast<std::size_t>(maxLength));
    wait_ms(200);
    m_lastTransferSilent = false;
    bool started = false;
    bool dle = false;
    std::uint16_t crc = 0;
    long count = 0;
    const long runaway = runawayLimit(maxLength);
    const auto store = [&](std::uint8_t byte) {
        if (count < maxLength) buffer[count] = byte;
        ++count;
        crc = crc16Update(crc, byte);
        if (count % kProgressStep == 0) reportProgress(count);
    };
    for (long received = 0;; ++received) {
        std::uint8_t byte = 0;
        if (!awaitByte(&byte, true, received > 0)) return kSilent;
        if (received > runaway) return -1;
        if (byte == DLE) {
            if (!dle) {
                dle = true;
            } else {
                if (started) store(DLE);
                dle = false;
            }
        } else if (byte == STX && dle) {
            started = true;
            crc = 0;
            dle = false;
        } else if (byte == ETX && dle && started) {
            break;
        } else if (started && !(byte == ETX && dle)) {
            store(byte);
        }
    }
    reportProgress(count);
    wait_ms(100);
    if (crc != 0) return -1;
    if (count <= 2) return 0;
    for (long i = count - 2; i < std::min(count, maxLength); ++i) buffer[i] = 0xFF;
    return std::min(count - 2, maxLength);
}

int VLA_XFR::readinfo(std::uint8_t* buffer, long maxLength) {
    m_progressBase = 0;
    m_progressTotal = 0;
    if (sendcommand(cmd_INFO, 0, 0) != 0) return VLA_ERR_MISC;
    const long length = readlog(buffer, maxLength);
    if (length == kSilent) return VLA_ERR_TIMEOUT;
    return length > 0 ? VLA_ERR_NOERR : VLA_ERR_NODATA;
}

int VLA_XFR::readdir(std::uint8_t* buffer, long maxLength) {
    m_progressBase = 0;
    m_progressTotal = 0;
    if (sendcommand(cmd_DIR, 0, 0) != 0) return VLA_ERR_NOANSWER;
    const long length = readlog(buffer, maxLength);
    if (length == kSilent) return VLA_ERR_TIMEOUT;
    // A directory that failed its CRC is no empty flight memory.
    if (length < 0) return VLA_ERR_CRC;
    return length > 0 ? VLA_ERR_NOERR : VLA_ERR_NOFLIGHTS;
}

long VLA_XFR::flightget(std::uint8_t* buffer, long maxLength, int flightNumber, int secure) {
    m_lastTransferSilent = false;
    m_progressTotal = 0;  // a flight's length is known only at its end
    m_progressBase = 0;
    const std::uint8_t command = secure ? cmd_GFS : cmd_GFL;
    if (sendcommand(command, static_cast<std::uint8_t>(flightNumber & 0xFF),
                    static_cast<std::uint8_t>(m_databaudindex)) != 0) {
        return 0;
    }
    serial_set_baudrate(m_databaud);
    const long dataLength = readlog(buffer, maxLength);
    serial_set_baudrate(commandbaud);
    if (dataLength < 1) return 0;

    wait_ms(300);
    if (sendcommand(cmd_SIG, 0, 0) != 0) return 0;
    // The signature goes right behind the data, into the room that remains.
    m_progressBase = dataLength;
    const long signatureLength = readlog(buffer + dataLength, maxLength - dataLength);
    if (signatureLength < 1) return 0;
    return dataLength + signatureLength;
}

int VLA_XFR::dbbget(std::uint8_t* buffer, long maxLength) {
    m_progressBase = 0;
    m_progressTotal = maxLength;
    if (sendcommand(cmd_RDB, 0, static_cast<std::uint8_t>(m_databaudindex)) != 0) {
        return VLA_ERR_BADCOMMAND;
    }
    wait_ms(300);
    serial_set_baudrate(m_databaud);
    wait_ms(300);
    const long length = readlog(buffer, maxLength);
    serial_set_baudrate(commandbaud);
    wait_ms(300);
    if (length == kSilent) return VLA_ERR_TIMEOUT;
    return length < 1 ? VLA_ERR_NODATA : VLA_ERR_NOERR;
}

int VLA_XFR::dbbput(const std::uint8_t* buffer, long length) {
    m_lastTransferSilent = false;
    m_progressTotal = length;
    m_progressBase = 0;
    serial_empty_io_buffers();
    sendcommand(cmd_PDB, 0, 0);
    std::uint8_t answer = 0;
    if (!awaitByte(&answer, false)) return VLA_ERR_TIMEOUT;
    if (answer != ACK) return VLA_ERR_MISC;
    wait_ms(100);
    std::uint16_t crc = 0;
    for (long i = 0; i < length; ++i) {
        serial_out(buffer[i]);
        crc = crc16Update(crc, buffer[i]);
        delayMicroseconds(1200);  // 1 ms and a further 200 microseconds
        if ((i + 1) % kProgressStep == 0 || i + 1 == length) reportProgress(i + 1);
    }
    serial_out(static_cast<std::uint8_t>(crc >> 8));
    wait_ms(1);
    serial_out(static_cast<std::uint8_t>(crc & 0xFF));
    wait_ms(1);
    if (!awaitByte(&answer, false)) return VLA_ERR_TIMEOUT;
    return answer == ACK ? VLA_ERR_NOERR : VLA_ERR_MISC;
}

}  // namespace kelvo::vl
