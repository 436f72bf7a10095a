#include "LoggerAccess/Volkslogger/VolksloggerDirectory.h"

#include <gtest/gtest.h>

#include "base/UtcDate.h"
#include "sim/Volkslogger/VolksloggerFlight.h"
#include "sim/Volkslogger/VolksloggerStreamWriter.h"

namespace kelvo::vl {
namespace {

using sim::VolksloggerFlight;

std::string isoOf(const std::tm& t) {
    return isoUtc(
        *utcTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec));
}

TEST(VolksloggerDirectory, DecodesTheDocumentedBlock) {
    const Bytes block = {0x41, 0x20, 0x05, 0x50, 0x04, 0xD2, 0xA0, 0x00, 0x00, 0xB6, 0xD0, 0x05,
                         0x07, 0x14, 0x60, 0x00, 0x0E, 0x10, 0x00, 0x07, 0x08, 0xE0, 0x00, 0x80};
    EXPECT_EQ(conv_dir(nullptr, block, 1), 1);
    std::vector<DIRENTRY> entries;
    ASSERT_EQ(conv_dir(&entries, block, 0), 1);
    ASSERT_EQ(entries.size(), 1u);
    const DIRENTRY& e = entries[0];
    EXPECT_EQ(e.serno, 1234);
    EXPECT_EQ(isoOf(e.firsttime), "2005-07-14T12:30:00Z");
    EXPECT_EQ(isoOf(e.lasttime), "2005-07-14T13:30:00Z");
    EXPECT_EQ(e.recordingtime, 3600);
    EXPECT_EQ(e.takeoff, 0);
    EXPECT_STREQ(e.filename, "57EA0YA1.IGC");
}

VolksloggerFlight flightAt(int year, int month, int day, int hour, std::uint16_t serial) {
    VolksloggerFlight f;
    f.firstFix = *utcTime(year, month, day, hour, 0, 0);
    f.serialNumber = serial;
    f.fixes.resize(2);
    f.fixes[1].at = 3725;
    return f;
}

TEST(VolksloggerDirectory, NumbersFlightsOfTheDayAndCarriesTexts) {
    std::vector<VolksloggerFlight> flights = {
        flightAt(2009, 10, 7, 9, 46655), flightAt(2009, 10, 7, 12, 46655),
        flightAt(2009, 10, 7, 15, 46655), flightAt(2009, 10, 8, 9, 46655),
        flightAt(2010, 12, 31, 23, 35)};
    flights[0].pilot = "Jan Mustermann with a long name over sixteen";
    flights[0].gliderId = "D-KXYZ";
    flights[0].competitionId = "XY";
    flights[0].takeoff = 60;
    const Bytes block = sim::encodeDirectory(flights);

    std::vector<DIRENTRY> entries;
    ASSERT_EQ(conv_dir(&entries, block, 0), 5);
    const char* names[] = {"9A7AZZZ1.IGC", "9A7AZZZ2.IGC", "9A7AZZZ3.IGC", "9A8AZZZ1.IGC",
                           "0CVA00Z1.IGC"};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_STREQ(entries[i].filename, names[i]);
        EXPECT_EQ(entries[i].recordingtime, 3725);
    }
    EXPECT_STREQ(entries[0].pilot, "Jan Mustermann with a long name over sixteen");
    EXPECT_STREQ(entries[0].gliderid, "D-KXYZ");
    EXPECT_STREQ(entries[0].competitionid, "XY");
    EXPECT_EQ(entries[0].takeoff, 1);
    EXPECT_EQ(entries[1].takeoff, 0);
    EXPECT_STREQ(entries[1].pilot, "");
    // Glider and competition ids carry over to a flight that records none.
    EXPECT_STREQ(entries[1].gliderid, "D-KXYZ");
    // The last fix crosses midnight into the new year.
    EXPECT_EQ(isoOf(entries[4].lasttime), "2011-01-01T00:02:05Z");
}

TEST(VolksloggerDirectory, FlightsOfOneDayBeyond35GetAnUnderscore) {
    std::vector<VolksloggerFlight> flights;
    for (int i = 0; i < 37; ++i) {
        VolksloggerFlight f = flightAt(2005, 7, 14, 0, 1234);
        f.firstFix += std::chrono::minutes(30 * i);
        flights.push_back(f);
    }
    std::vector<DIRENTRY> entries;
    ASSERT_EQ(conv_dir(&entries, sim::encodeDirectory(flights), 0), 37);
    EXPECT_STREQ(entries[9].filename, "57EA0YAA.IGC");
    EXPECT_STREQ(entries[34].filename, "57EA0YAZ.IGC");
    EXPECT_STREQ(entries[35].filename, "57EA0YA_.IGC");
}

TEST(VolksloggerDirectory, RejectsUnknownFormatsAndMalformedRecordsButKeepsCutBlocks) {
    sim::VolksloggerStreamWriter newer;
    newer.start(2);
    EXPECT_EQ(conv_dir(nullptr, newer.bytes(), 1), -1);

    sim::VolksloggerStreamWriter version0;
    version0.start(0);
    version0.raw(Bytes{0xE0, 0x00, 0x05});  // no differential records in version 0
    EXPECT_EQ(conv_dir(nullptr, version0.bytes(), 1), -1);

    const Bytes zeroLength = {0x41, 0x20, 0x00, 0x50};
    EXPECT_EQ(conv_dir(nullptr, zeroLength, 1), -1);

    const Bytes block =
        sim::encodeDirectory({flightAt(2009, 10, 7, 9, 1), flightAt(2009, 10, 7, 12, 2)});
    for (std::size_t cut = 0; cut < block.size(); ++cut) {
        std::vector<DIRENTRY> entries;
        const int count = conv_dir(&entries, ByteSpan(block).first(cut), 0);
        EXPECT_GE(count, 0) << cut;
        EXPECT_LE(count, 2) << cut;
        EXPECT_EQ(entries.size(), static_cast<std::size_t>(count));
    }
}

}  // namespace
}  // namespace kelvo::vl
