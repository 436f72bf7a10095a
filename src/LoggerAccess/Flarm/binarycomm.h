#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "LoggerAccess/Flarm/Message.h"

namespace kelvo::flarm {

class serial;

// Frames, escapes and checksums the Flarm binary messages and makes the requests of the
// binary mode. Each request is answered by one message, acknowledged by type 0xA0.
class binarycomm {
  public:
    static constexpr std::uint8_t kStartByte = 0x73;
    static constexpr std::uint8_t kEscapeByte = 0x78;
    static constexpr std::uint8_t kEscapedStart = 0x31;
    static constexpr std::uint8_t kEscapedEscape = 0x55;
    static constexpr std::uint16_t kFirstSequence = 0x3338;

    enum Type : std::uint8_t {
        kPing = 0x01,
        kSetBaudRate = 0x02,
        kExit = 0x12,
        kSelectRecord = 0x20,
        kGetRecordInfo = 0x21,
        kGetIGCData = 0x22,
        kAck = 0xA0,
    };

    // Where the bytes of an answer come from; false when no byte arrived in time.
    using ByteSource = std::function<bool(std::uint8_t& byte)>;

    explicit binarycomm(serial& port) : m_port(port) {}

    // One byte, unescaped; byte is 0 when the escape was invalid.
    bool rcv(std::uint8_t& byte);
    static std::uint16_t computeCRC(const Message& message);
    // Stamps the sequence number and the checksum, then writes the whole frame at once.
    bool sendMsg(Message& message);
    // Receives one intact frame into message.
    bool rcvMsg(Message& message);
    // The frame receiver itself, over any byte source: skips to the start byte, unescapes,
    // checks the length against the header and the largest frame, and the checksum.
    static bool receiveFrame(const ByteSource& source, Message& message);

    bool ping();
    bool setBaudRate(std::uint8_t code);
    bool selectRecord(std::uint8_t record);
    // The description text of the selected record.
    bool getRecordInfo(std::string& text);
    // The next piece of the selected flight's IGC file and the device's progress [%].
    bool getIGCData(std::string& text, int& progress);
    bool exit();

    static void printMessage(const Message& message);

    // The escaped wire bytes of a stamped message, start byte first.
    static Bytes encodeFrame(const Message& message);

    // The last request was answered, but not acknowledged (the device refused it).
    bool lastRequestRefused() const { return m_lastRequestRefused; }

  private:
    // Sends the request, waits at least waitMilliseconds and receives the answer into it,
    // each of its bytes awaited at most answerTimeoutMilliseconds.
    bool request(Message& message, long waitMilliseconds, int answerTimeoutMilliseconds = 500);
    static bool skipToStartByte(const ByteSource& source);
    static bool unescaped(const ByteSource& source, std::uint8_t& byte);

    serial& m_port;
    bool m_lastRequestRefused = false;
    std::uint16_t m_sequence = kFirstSequence;
};

}  // namespace kelvo::flarm
