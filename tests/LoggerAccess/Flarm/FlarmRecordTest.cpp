#include "LoggerAccess/Flarm/FlarmRecord.h"

#include <gtest/gtest.h>

#include "LoggerAccess/Flarm/KelvoFlarm.h"
#include "base/UtcDate.h"

namespace kelvo {
namespace {

TEST(FlarmRecord, ReadsDateStartDurationPilotAndGlider) {
    const auto record =
        FlarmRecord::parse(2, "87FXABC1.IGC|2008-07-15|10:05:00|02:30:15|Test Pilot|D-1234");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->number, 2);
    EXPECT_EQ(record->filename, "87FXABC1.IGC");
    ASSERT_TRUE(record->start && record->end);
    EXPECT_EQ(isoUtc(*record->start), "2008-07-15T10:05:00Z");
    EXPECT_EQ(isoUtc(*record->end), "2008-07-15T12:35:15Z");
    EXPECT_EQ(record->duration, "02:30:15");
    EXPECT_EQ(record->pilot, "Test Pilot");
    EXPECT_EQ(record->gliderId, "D-1234");
}

TEST(FlarmRecord, IncompleteDateOrTimesLeaveOutDateAndTimes) {
    for (const char* text :
         {"A.IGC|2008-07|10:05:00|02:30:15|Pilot", "A.IGC|2008-07-15|10:05|02:30:15",
          "A.IGC|2008-07-15|10:05:00|02", "A.IGC|2008-13-15|10:05:00|02:30:15"}) {
        const auto record = FlarmRecord::parse(0, text);
        ASSERT_TRUE(record) << text;
        EXPECT_EQ(record->filename, "A.IGC");
        EXPECT_FALSE(record->start) << text;
        EXPECT_FALSE(record->end) << text;
        EXPECT_EQ(record->duration, "") << text;
    }
    EXPECT_EQ(FlarmRecord::parse(0, "A.IGC|2008-07|10:05:00|02:30:15|Pilot")->pilot, "Pilot");
    EXPECT_FALSE(FlarmRecord::parse(0, "A.IGC|2008-07-15|10:05:00"));
}

TEST(FlarmAircraftType, NamesCodesOneToThirteen) {
    EXPECT_EQ(KelvoFlarm::aircraftTypeName(1), "Glider");
    EXPECT_EQ(KelvoFlarm::aircraftTypeName(8), "Powered Airplane");
    EXPECT_EQ(KelvoFlarm::aircraftTypeName(13), "UAV");
    for (const long long code : {0LL, -1LL, 14LL}) {
        EXPECT_EQ(KelvoFlarm::aircraftTypeName(code), "Unknown") << code;
    }
}

}  // namespace
}  // namespace kelvo
