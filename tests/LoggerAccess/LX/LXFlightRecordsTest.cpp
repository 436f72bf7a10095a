#include <gtest/gtest.h>

#include <cstring>

#include "LoggerAccess/LX/CRC8.h"
#include "LoggerAccess/LX/LXFaiData.h"
#include "LoggerAccess/LX/LXFlight.h"
#include "base/Log.h"
#include "base/UtcDate.h"

namespace kelvo {
namespace {

// A directory record of 7 October 2009, 09:05:00 to 13:20:30, recorder 1, flight 3.
Bytes directoryRecord(const char* maker = "LXNAV Nano", const char* start = "09:05:00") {
    Bytes record(96, 0);
    record[0] = 1;
    putU16BE(record, 1, 100);
    putU16BE(record, 3, 8);
    putU16BE(record, 5, 20000);
    putU16BE(record, 7, 9);
    std::memcpy(&record[9], "07.10.09", 8);
    std::memcpy(&record[18], start, 8);
    std::memcpy(&record[27], "13:20:30", 8);
    std::memcpy(&record[40], "Hans Muster", 11);
    std::memcpy(&record[59], maker, std::strlen(maker));
    putU16BE(record, 91, 1);
    putU16BE(record, 93, 3);
    record[95] = CRC8::calc_crc(ByteSpan(record).first(95), 0xFF);
    return record;
}

TEST(LXFaiData, ReadsDatesDurationAndFileName) {
    const LXFaiData flight(directoryRecord());
    EXPECT_TRUE(flight.isOK());
    EXPECT_TRUE(flight.crcOK());
    EXPECT_EQ(isoUtc(*flight.startDate()), "2009-10-07T09:05:00Z");
    EXPECT_EQ(isoUtc(*flight.stopDate()), "2009-10-07T13:20:30Z");
    EXPECT_EQ(flight.duration(), 15330);
    EXPECT_EQ(flight.durationDescription(), "04:15:30");
    EXPECT_EQ(flight.pilotName(), "Hans Muster");
    EXPECT_EQ(flight.fileNameWithExtension(), "9A7L0013.LXN");
    EXPECT_EQ(LXFaiData(directoryRecord("LXNAV", " 9:05:00")).startDate(), flight.startDate());
}

TEST(LXFaiData, PicksLoggerCharAndExtensionByMaker) {
    EXPECT_EQ(LXFaiData(directoryRecord("SDI Colibri")).loggerChar(), 'S');
    EXPECT_EQ(LXFaiData(directoryRecord("SDI Colibri")).fileNameWithExtension(), "9A7S0013.SDI");
    const LXFaiData noMaker(directoryRecord(""));
    EXPECT_FALSE(noMaker.manufacturer());
    EXPECT_EQ(noMaker.fileNameWithExtension(), "9A7F0013.FIL");
}

TEST(LXFaiData, MemoryRangeAndSerialCode) {
    Bytes record = directoryRecord();
    putU16BE(record, 91, 46655);
    const LXFaiData flight(record);
    EXPECT_EQ(flight.serialNumberDescription(), "ZZZ");
    const LXMemory range = flight.memory();
    EXPECT_EQ(range.startPos(), 100);
    EXPECT_EQ(range.startPage(), 8);
    EXPECT_EQ(range.endPos(), 20000);
    EXPECT_EQ(range.endPage(), 9);
}

TEST(LXFaiData, CorruptedRecordFailsCrcAndShortRecordStaysInBounds) {
    CapturingLogSink log;
    Bytes record = directoryRecord();
    record[40] ^= 1;
    EXPECT_FALSE(LXFaiData(record).crcOK());
    EXPECT_TRUE(log.contains("CRC calculation failed on LX FAI Data."));
    const LXFaiData shortRecord(ByteSpan(directoryRecord()).first(20));
    EXPECT_EQ(shortRecord.serialNumber(), 0);
    EXPECT_FALSE(shortRecord.stopDate());
    EXPECT_EQ(shortRecord.duration(), 0);
}

TEST(LXFlight, TextsAreCutOrSpacePaddedWithNulAtFieldEnd) {
    LXFlight flight;
    flight.setPilot("ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(flight.pilot(), "ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(flight.nativeFlight()[20], 0);
    flight.setPilot("Bob");
    EXPECT_EQ(flight.pilot(), "Bob               ");
    flight.setCompetitionRegistration("XY");
    flight.setRegistration("D-1234");
    flight.setGlider("LS8");
    flight.setObserver("Eve");
    const auto& bytes = flight.nativeFlight();
    EXPECT_EQ(std::string(&bytes[41], &bytes[45]), std::string("XY \0", 4));
    EXPECT_EQ(std::string(&bytes[33], &bytes[41]), std::string("D-1234 \0", 8));
    EXPECT_EQ(flight.glider(), "LS8        ");
    EXPECT_EQ(flight.observer(), "Eve      ");
}

TEST(LXFlight, GpsFieldUsesAllSixtyBytesAndOtherFieldsAreLittleEndianOrPlain) {
    LXFlight flight;
    const std::string longGps(70, 'g');
    flight.setGPS(longGps);
    EXPECT_EQ(flight.GPS(), std::string(60, 'g'));
    flight.setGPS("uBlox");
    EXPECT_EQ(flight.GPS(), "uBlox");
    EXPECT_EQ(flight.nativeFlight()[117], 0);
    flight.setID(0x0102);
    EXPECT_EQ(flight.nativeFlight()[0], 0x02);
    flight.setGPSDatum(100);
    flight.setFixAccuracy(25);
    const LXFlight copy(flight.data(), 0);
    EXPECT_EQ(copy.ID(), 0x0102);
    EXPECT_EQ(copy.GPSDatum(), 100);
    EXPECT_EQ(copy.fixAccuracy(), 25);
}

TEST(LXFlight, ClassIndexMapsToClassCodeBothWays) {
    const std::pair<int, int> codes[] = {{2, 0}, {3, 1}, {6, 2}, {4, 3}, {7, 4}, {5, 5}, {8, 6}};
    LXFlight flight;
    for (const auto& [classIndex, razred] : codes) {
        flight.setCompetitionClass(classIndex);
        EXPECT_EQ(flight.razred(), razred);
        EXPECT_EQ(flight.competitionClass(), classIndex);
    }
    for (const int other : {0, 1, 9, 42, -1}) {
        flight.setCompetitionClass(other);
        EXPECT_EQ(flight.razred(), 7);
        EXPECT_EQ(flight.competitionClass(), 0);
    }
}

TEST(LXFlight, ReadsFromOffsetAndNeverPastTheBuffer) {
    Bytes block(10, 0);
    const LXFlight empty(block, 1);
    EXPECT_EQ(empty.pilot(), "");
    LXFlight source;
    source.setPilot("Anna");
    Bytes declaration(1, 0);
    const Bytes flight = source.data();
    declaration.insert(declaration.end(), flight.begin(), flight.end());
    EXPECT_EQ(LXFlight(declaration, 1).pilot(), source.pilot());
    EXPECT_EQ(LXFlight(declaration, 500).pilot(), "");
}

}  // namespace
}  // namespace kelvo
