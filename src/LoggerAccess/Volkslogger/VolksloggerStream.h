#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/Bytes.h"

namespace kelvo::vl {

// Field identifiers of the data records of a flight stream.
enum FlightField : std::uint8_t {
    kPilot1 = 1,
    kPilot4 = 4,
    kGliderType = 5,
    kGliderId = 6,
    kCompetitionId = 7,
    kCompetitionClass = 8,
    kTimeZone = 9,
    kTurnpointCount = 16,
    kFlightDate = 17,
    kTaskId = 18,
    kTakeoffPoint = 32,
    kStartPoint = 33,
    kFinishPoint = 34,
    kLandingPoint = 35,
    kFirstTurnpoint = 49,
    kLastTurnpoint = 60,
    kRecorderInfo = 80,
    kPilotEvent = 96,
    kTakeoffDetected = 97,
};

// The Volkslogger's binary record stream (flights and the flight directory). The class of
// a record is the top three bits of its first byte; numbers are big-endian; coordinates are
// thousandths of a minute of arc.
enum RecordClass : std::uint8_t {
    kTimedDataRecord = 0x00,
    kDataRecord = 0x20,
    kStartRecord = 0x40,
    kEndRecord = 0x60,
    kFullPositionRecord = 0x80,
    kDateRecord = 0xA0,
    kFillerRecord = 0xC0,
    kDifferentialPositionRecord = 0xE0,
};

constexpr std::size_t kFlightEndRecordSize = 41;
constexpr std::size_t kDirectoryEndRecordSize = 7;
constexpr int kHighestFormatVersion = 1;

struct StreamRecord {
    std::uint8_t recordClass = 0;
    std::size_t offset = 0;
    ByteSpan bytes;  // the whole record
};

// Walks a stream record by record. Every record it answers lies wholly inside the data;
// it stops at the end of the data, at a record that is cut off or malformed, and at the
// end-of-data mark of a position record. Start records set the format version, which
// selects the size of position records.
class StreamReader {
  public:
    enum class Stop { None, EndOfData, EndMark, Cut, Malformed };

    StreamReader(ByteSpan data, std::size_t endRecordSize);

    std::optional<StreamRecord> next();

    Stop stop() const { return m_stop; }
    int formatVersion() const { return m_formatVersion; }
    // Offset of the next record, or of the record the walk stopped at.
    std::size_t position() const { return m_position; }

  private:
    std::size_t recordSize(std::uint8_t recordClass) const;
    std::optional<StreamRecord> stopAt(Stop stop);

    ByteSpan m_data;
    std::size_t m_endRecordSize;
    std::size_t m_position = 0;
    int m_formatVersion = 0;
    Stop m_stop = Stop::None;
};

struct DateRecord {
    int delta = 0;       // [s]
    long timeOfDay = 0;  // [s]
    int year = 0;        // two digits
    int month = 0;
    int day = 0;

    // The calendar time of the record; years below 80 are 20xx when asked for, else 19xx.
    std::chrono::sys_seconds time(bool twentyFirstCentury) const;
};
DateRecord decodeDateRecord(ByteSpan record);

// A full or differential position record; a differential one holds the signed changes.
struct PositionRecord {
    bool differential = false;
    bool valid = false;            // 'A' fix
    std::uint16_t pressure = 0;    // 12-bit raw value
    int delta = 0;                 // [s]
    long latitude = 0;             // negative south
    long longitude = 0;            // negative west
    int altitude = 0;              // 11-bit code a: 10 x a - 1000 m
    std::uint8_t accuracy = 0;     // h
    std::uint8_t engineNoise = 0;  // e (0 when the format has none)
};
PositionRecord decodePositionRecord(const StreamRecord& record);

// A data record of either kind; timed ones carry a time delta.
struct DataRecord {
    int delta = 0;
    std::uint8_t id = 0;
    ByteSpan data;
};
DataRecord decodeDataRecord(const StreamRecord& record);

// Calendar arithmetic without daylight saving: month 13 is January of the next year and
// day 32 the first of the next month.
std::chrono::sys_seconds calendarTime(int year, int month, int day, long secondsOfDay);

}  // namespace kelvo::vl
