#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Bytes.h"

namespace kelvo::sim {

// A fix as the Volkslogger records it.
struct VolksloggerFix {
    bool valid = true;
    std::uint16_t pressure = 0;  // 12-bit raw value
    long latitude = 0;           // thousandths of a minute, negative south
    long longitude = 0;          // negative west
    int altitude = 100;          // 11-bit code a: 10 x a - 1000 m
    std::uint8_t accuracy = 0;   // 4-bit value h
    std::uint8_t engineNoise = 0;
};

// Writes a Volkslogger record stream record by record, exactly as given (no checks of
// sizes or order), so tests can build well-formed and broken streams alike.
class VolksloggerStreamWriter {
  public:
    void start(int formatVersion);
    // year with four digits, stored as two BCD digits
    void date(int delta, long timeOfDay, int year, int month, int day);
    // 12 bytes, or 11 without engine noise while the format version is 0.
    void fullFix(int delta, const VolksloggerFix& fix);
    // The fix's position is ignored; the changes are written instead.
    void differentialFix(int delta, const VolksloggerFix& fix, long latitudeChange,
                         long longitudeChange);
    void data(std::uint8_t id, ByteSpan payload);
    void data(std::uint8_t id, std::string_view text);
    void timedData(int delta, std::uint8_t id, ByteSpan payload = {});
    // A position record that marks the end of the recorded data.
    void endMark();
    // The end record: 41 bytes in a flight, 7 in the directory.
    void end(long recordingTime, long offset, std::size_t size);
    void filler();
    void raw(ByteSpan bytes);

    int formatVersion() const { return m_formatVersion; }
    const Bytes& bytes() const { return m_writer.data(); }
    Bytes take() { return m_writer.take(); }

  private:
    void fixHead(std::uint8_t recordClass, int delta, const VolksloggerFix& fix);

    ByteWriter m_writer;
    int m_formatVersion = 1;
};

}  // namespace kelvo::sim
