#pragma once

#include <chrono>
#include <cstdint>

// The bytes and waits of the LX, SDI and Filser serial protocol, for the driver and the
// emulator alike. A command is STX followed by its command byte; data blocks end in a
// CRC-8 byte.
namespace kelvo::lx {

constexpr std::uint8_t STX = 0x02;
constexpr std::uint8_t ACK = 0x06;
constexpr std::uint8_t SYN = 0x16;

enum class Command : std::uint8_t {
    ReadIdentification = 0xC4,  // up to 320 bytes of text, no CRC
    ReadDeclaration = 0xC9,     // 349 bytes + CRC
    WriteDeclaration = 0xCA,    // 349 bytes + CRC, answered by ACK
    ReadSecurityBlock = 0xCB,   // 256 bytes + CRC
    ReadBlockSizes = 0xCC,      // 16 big-endian sizes of the selected range's blocks
    ReadDirectory = 0xCD,       // 96-byte directory records
    SelectRange = 0xCE,         // 6-byte range + CRC, answered by ACK
    ReadClassName = 0xCF,       // 9 bytes + CRC
    WriteClassName = 0xD0,      // 9 bytes + CRC, answered by ACK
    ReadMemoryInfo = 0xD1,      // 6 bytes + CRC
    ReadFlightBlock = 0xE6,     // block 0 of the selected range; blocks 1 to 15 follow
    ReadDatabase = 0x52,        // 21800 bytes + CRC
    WriteDatabase = 0x57,       // 21800 bytes + CRC, not answered
};

constexpr std::uint8_t byteOf(Command command) {
    return static_cast<std::uint8_t>(command);
}

constexpr int kFlightBlocks = 16;
// Flight memory is addressed as a page and a position within the page.
constexpr std::int32_t kPageSize = 32768;

// The pauses around a command's bytes and before its answer is read.
using namespace std::chrono_literals;
constexpr auto kNoGap = 0ms;
constexpr auto kByteGap = 1ms;                      // around short commands
constexpr auto kIdentificationGap = 5ms;            // around the identification command
constexpr auto kCommandGap = 10ms;                  // around commands that move blocks
constexpr auto kSynAnswerWait = 100ms;              // after a SYN, before its ACK is read
constexpr auto kDirectoryAnswerWait = 100ms;        // after the directory command
constexpr auto kIdentificationAnswerWait = 200ms;   // after the identification command
constexpr auto kClassNameAnswerWait = 50ms;         // after the class name is written
constexpr auto kPingAnswerWait = 10ms;              // after a keep-alive SYN

// An answer is read as soon as it is complete; the recorder is given the wait above plus
// the read's own time-out.
constexpr auto kByteTimeout = 100ms;                // what one byte may take
constexpr auto kDirectoryRecordWait = 4s;           // 2 s a record, plus the read's 2 s
constexpr auto kReplyTimeout = 2s;                  // of a reply of no fixed length
constexpr auto kIdentificationQuiet = 100ms;        // the identification has ended

}  // namespace kelvo::lx
