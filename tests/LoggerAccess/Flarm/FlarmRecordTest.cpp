#include "LoggerAccess/Flarm/FlarmRecord.h"

#include <gtest/gtest.h>

#include "LoggerAccess/Flarm/KelvoFlarm.h"

namespace kelvo {
namespace {

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
