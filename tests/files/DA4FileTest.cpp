#include "files/DA4File.h"

#include <gtest/gtest.h>

#include <cmath>

#include "LoggerAccess/LoggerData.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

std::shared_ptr<Waypoint> airfield() {
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setValueFromDegrees("ZELL", 47.2925, 12.7863, 500.0);
    waypoint->setFrequency(122.8);
    waypoint->setRunwayLength(650);
    waypoint->setRunwayDirection(80);
    waypoint->setType(5);
    waypoint->setTrainingCircleDirection(-1);
    waypoint->setTrainingCircleSize(1500);
    return waypoint;
}

TEST(DA4File, WritesTheRecordLayout) {
    const DA4File::Record record = DA4File::makeRecord(*airfield());
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(std::string(record.begin() + 1, record.begin() + 10), std::string("ZELL    \0", 9));
    EXPECT_FLOAT_EQ(getF32LE(record, 10), 47.2925f);
    EXPECT_FLOAT_EQ(getF32LE(record, 14), 12.7863f);
    EXPECT_EQ(record[18], 0x06);  // 500 m = 1640 feet, big-endian
    EXPECT_EQ(record[19], 0x68);
    EXPECT_FLOAT_EQ(getF32LE(record, 20), 122.8f);
    EXPECT_EQ(getU16BE(record, 24), 650);
    EXPECT_EQ(record[26], 8);  // runway 08
    EXPECT_EQ(record[27], 'C');
    EXPECT_EQ(record[28], 0xFF);
    EXPECT_EQ(getU16BE(record, 29), 1500);
}

TEST(DA4File, ConvertsNamesToEightAsciiCharactersAndRejectsValuesThatDoNotFit) {
    Waypoint waypoint = *airfield();
    waypoint.setName(
        "\xC5\xBB"
        "ar Mi\xC4\x99"
        "dzyrzec");  // Żar Międzyrzec
    waypoint.setElevation(1.0e7);
    const DA4File::Record record = DA4File::makeRecord(waypoint);
    EXPECT_EQ(getText(record, 1, 9), "Zar Mied");
    EXPECT_EQ(record[9], 0);
    EXPECT_EQ(getU16BE(record, 18), 0);

    DA4File::Record eightBit = record;
    putText(eightBit, 1, 8, "M\xFCnster", ' ');  // Windows-1252
    EXPECT_EQ(DA4File::makeWaypoint(eightBit)->name(), "Munster");
}

TEST(DA4File, ReadsWholeValidRecordsOnly) {
    Bytes file(62, 0);
    const DA4File::Record record = DA4File::makeRecord(*airfield());
    std::copy(record.begin(), record.end(), file.begin());
    LoggerData data;
    data.addWaypoint(airfield());
    data.addWaypoint(airfield());
    DA4File().parseData(file, data);
    EXPECT_EQ(data.waypointCount(), 1u);  // the all-zero record has no name

    file.resize(40);
    DA4File().parseData(file, data);
    ASSERT_EQ(data.waypointCount(), 1u);
    EXPECT_NEAR(data.waypoints()[0]->elevation(), 499.872, 1e-9);

    Waypoint nowhere = *airfield();  // not read back at 0, 0
    nowhere.setLatitudeRadians(std::nan(""));
    const DA4File::Record nowhereRecord = DA4File::makeRecord(nowhere);
    DA4File().parseData(nowhereRecord, data);
    EXPECT_EQ(data.waypointCount(), 0u);

    file.resize(30);
    DA4File().parseData(file, data);
    EXPECT_EQ(data.waypointCount(), 0u);
    const auto cut = DA4File::makeWaypoint(ByteSpan(record).first(12));  // fields beyond: 0
    EXPECT_EQ(cut->name(), "ZELL");
    EXPECT_EQ(cut->latitudeDegrees(), 0.0);
}

TEST(DA4File, RoundTripKeepsEveryAttributeTheFormatHolds) {
    LoggerData data;
    data.addWaypoint(airfield());
    auto south = std::make_shared<Waypoint>();
    south->setValueFromDegrees("CAPE TWN", -33.9715, 18.6021, -3.0);
    south->setFrequency(118.005);
    south->setType(1);
    data.addWaypoint(south);

    const std::optional<Bytes> file = DA4File().makeDataFromLoggerData(&data);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), 62u);
    LoggerData read;
    DA4File().parseData(*file, read);
    ASSERT_EQ(read.waypointCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Waypoint& written = *data.waypoints()[i];
        const Waypoint& back = *read.waypoints()[i];
        EXPECT_EQ(back.name(), written.name());
        EXPECT_TRUE(back.isEqualTo(written));
        EXPECT_NEAR(back.elevation(), written.elevation(), 0.3048);
        EXPECT_DOUBLE_EQ(back.frequency(), written.frequency());
        EXPECT_EQ(back.runwayLength(), written.runwayLength());
        EXPECT_EQ(back.runwayDirection(), written.runwayDirection());
        EXPECT_EQ(back.type(), written.type());
        EXPECT_EQ(back.trainingCircleDirection(), written.trainingCircleDirection());
        EXPECT_EQ(back.trainingCircleSize(), written.trainingCircleSize());
        EXPECT_EQ(back.trainingCircle(), 'I');
    }
}

TEST(DA4File, ExportsNothingWithoutWaypoints) {
    LoggerData data;
    EXPECT_FALSE(DA4File().makeDataFromLoggerData(&data));
    EXPECT_FALSE(DA4File().makeDataFromLoggerData(nullptr));
}

}  // namespace
}  // namespace kelvo
