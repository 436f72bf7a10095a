#include "LoggerAccess/Volkslogger/VolksloggerStream.h"

namespace kelvo::vl {
namespace {

constexpr std::uint8_t kEndOfDataFlag = 0x80;  // in the time delta of a position record
constexpr std::size_t kPositionHeader = 3;     // bytes up to the time delta

int bcd(std::uint8_t value) {
    return (value >> 4) * 10 + (value & 0x0F);
}

long signedIf(bool negative, long magnitude) {
    return negative ? -magnitude : magnitude;
}

}  // namespace

StreamReader::StreamReader(ByteSpan data, std::size_t endRecordSize)
    : m_data(data), m_endRecordSize(endRecordSize) {}

std::optional<StreamRecord> StreamReader::stopAt(Stop stop) {
    m_stop = stop;
    return std::nullopt;
}

std::size_t StreamReader::recordSize(std::uint8_t recordClass) const {
    switch (recordClass) {
        case kStartRecord:
        case kFillerRecord:
            return 1;
        case kDateRecord:
            return 8;
        case kEndRecord:
            return m_endRecordSize;
        case kFullPositionRecord:
            return m_formatVersion == 0 ? 11 : 12;
        case kDifferentialPositionRecord:
            return m_formatVersion == 0 ? 0 : 9;  // version 0 has no differential records
        default:  // data records carry their length; it must cover their header
            return getU8(m_data, m_position + 1);
    }
}

std::optional<StreamRecord> StreamReader::next() {
    if (m_stop != Stop::None) return std::nullopt;
    if (m_position >= m_data.size()) return stopAt(Stop::EndOfData);
    const std::uint8_t recordClass = m_data[m_position] & 0xE0;
    const bool position =
        recordClass == kFullPositionRecord || recordClass == kDifferentialPositionRecord;
    if (position) {
        if (m_data.size() - m_position < kPositionHeader) return stopAt(Stop::Cut);
        if (m_data[m_position + 2] & kEndOfDataFlag) return stopAt(Stop::EndMark);
    }
    if (recordClass == kTimedDataRecord || recordClass == kDataRecord) {
        if (m_data.size() - m_position < 2) return stopAt(Stop::Cut);
    }
    const std::size_t size = recordSize(recordClass);
    const std::size_t minimum = recordClass == kTimedDataRecord ? 4
                                : recordClass == kDataRecord    ? 3
                                                                : 1;
    if (size < minimum) return stopAt(Stop::Malformed);
    if (size > m_data.size() - m_position) return stopAt(Stop::Cut);
    StreamRecord record{recordClass, m_position, m_data.subspan(m_position, size)};
    if (recordClass == kStartRecord) m_formatVersion = record.bytes[0] & 0x1F;
    m_position += size;
    return record;
}

std::chrono::sys_seconds DateRecord::time(bool twentyFirstCentury) const {
    const int fullYear = (twentyFirstCentury && year < 80 ? 2000 : 1900) + year;
    return calendarTime(fullYear, month, day, timeOfDay);
}

DateRecord decodeDateRecord(ByteSpan record) {
    return DateRecord{getU8(record, 1), static_cast<long>(getU24BE(record, 2)),
                      bcd(getU8(record, 5)), bcd(getU8(record, 6)), bcd(getU8(record, 7))};
}

PositionRecord decodePositionRecord(const StreamRecord& record) {
    const ByteSpan b = record.bytes;
    PositionRecord fix;
    fix.differential = record.recordClass == kDifferentialPositionRecord;
    fix.valid = getU8(b, 0) & 0x10;
    fix.pressure = static_cast<std::uint16_t>((getU8(b, 0) & 0x0F) << 8 | getU8(b, 1));
    fix.delta = getU8(b, 2);
    if (fix.differential) {
        const std::uint8_t b3 = getU8(b, 3);
        const std::uint8_t b6 = getU8(b, 6);
        fix.latitude = signedIf(b3 & 0x80, (b3 & 0x07) << 8 | getU8(b, 4));
        fix.longitude = signedIf(b6 & 0x80, (b3 & 0x78) << 5 | getU8(b, 5));
        fix.altitude = (b6 & 0x70) << 4 | getU8(b, 7);
        fix.accuracy = b6 & 0x0F;
        fix.engineNoise = getU8(b, 8);
    } else {
        const std::uint32_t latitude = getU24BE(b, 3);
        const std::uint8_t b9 = getU8(b, 9);
        fix.latitude = signedIf(latitude & 0x800000, latitude & 0x7FFFFF);
        fix.longitude = signedIf(b9 & 0x80, getU24BE(b, 6));
        fix.altitude = (b9 & 0x70) << 4 | getU8(b, 10);
        fix.accuracy = b9 & 0x0F;
        fix.engineNoise = getU8(b, 11);  // absent (0) in the 11-byte records of version 0
    }
    return fix;
}

DataRecord decodeDataRecord(const StreamRecord& record) {
    const bool timed = record.recordClass == kTimedDataRecord;
    const std::size_t header = timed ? 4 : 3;
    return DataRecord{timed ? getU8(record.bytes, 2) : 0, getU8(record.bytes, header - 1),
                      record.bytes.subspan(header)};
}

std::chrono::sys_seconds calendarTime(int year, int month, int day, long secondsOfDay) {
    using namespace std::chrono;
    const int monthIndex = month - 1;
    const int yearCarry = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    const year_month_day first{
        std::chrono::year{year + yearCarry},
        std::chrono::month{static_cast<unsigned>(monthIndex - 12 * yearCarry + 1)},
        std::chrono::day{1}};
    return sys_days{first} + days{day - 1} + seconds{secondsOfDay};
}

}  // namespace kelvo::vl
