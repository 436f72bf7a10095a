#include "geo/Coordinate.h"

#include <gtest/gtest.h>

#include "geo/Latitude.h"
#include "geo/Longitude.h"
#include "geo/TypedCoordinate.h"

namespace kelvo {
namespace {

const std::string kDeg = "\xC2\xB0";

TEST(Latitude, ParsesEveryNotationWithSignOrHemisphere) {
    const double dm = 52 + 7.054 / 60;
    const std::pair<const char*, double> cases[] = {
        {"52 07.054 N", dm}, {"52 07.054n", dm}, {" \t52 07.054 E\t ", dm}, {"52 07.054 S", -dm},
        {"52 07.054w", -dm}, {"-52 07.054", -dm}, {"-52.5", -52.5}, {"52.12345", 52.12345},
        {"52.5s", -52.5}, {"52 07 03.25 S", -(52 + 7 / 60.0 + 3.25 / 3600)},
        // A doubled space leaves an empty component that reads as 0.
        {"52  30", 52 + 30 / 3600.0},
        // A stray minus before a hemisphere letter must not turn 52 07 into -51 53.
        {"-52 07.054 N", dm},
        // Packed degrees and thousandths of minutes.
        {"5212345", 52 + 12.345 / 60}, {"5207054S", -dm}};
    for (const auto& [text, degrees] : cases)
        EXPECT_DOUBLE_EQ(Latitude::fromString(text).doubleValue(), degrees) << text;
    EXPECT_DOUBLE_EQ(Longitude::fromString("00730500").doubleValue(), 7 + 30.5 / 60);
    EXPECT_DOUBLE_EQ(Coordinate::stringToRadians("4500000W"), -kPi / 4);
}

TEST(Latitude, EmptyBlankOrOverlongTextGivesZero) {
    for (const char* text : {"", " \t ", "1 2 3 4", "N"}) {
        Latitude latitude = Latitude::fromDegrees(10);
        EXPECT_TRUE(latitude.setValueFromString(text)) << text;
        EXPECT_EQ(latitude.radians(), 0.0) << text;
    }
}

struct TypedCase {
    const char* text;
    bool latitude;
    double degrees;
};

TEST(TypedCoordinate, ReadsWhatPeopleTypeToAHundredthOfASecond) {
    const double dms = 48 + 20 / 60.0 + 30 / 3600.0;
    const TypedCase cases[] = {
        {"48°20'30\"N", true, dms},
        {"48º20'30\"N", true, dms},
        {" 48° 20' 30\" n ", true, dms},
        {"48°20'30''N", true, dms},
        {"48°20′30″N", true, dms},
        {"48 20 30 N", true, dms},
        {"48°20.5'N", true, 48 + 20.5 / 60},
        {"48 20.5", true, 48 + 20.5 / 60},
        {"48.3417", true, 48.3417},
        {"-33.5", true, -33.5},
        {"+33,5", true, 33.5},
        {"S 33 15.5", true, -(33 + 15.5 / 60)},
        {"48° 30\"", true, 48 + 30 / 3600.0},
        {"4806.450N", true, 48 + 6.45 / 60},
        {"4806450", true, 48 + 6.45 / 60},
        {"90S", true, -90},
        {"011°30.5'E", false, 11 + 30.5 / 60},
        {"W 4 30", false, -4.5},
        {"-180", false, -180},
        {"00730500", false, 7 + 30.5 / 60},
    };
    for (const TypedCase& c : cases) {
        const TypedCoordinate<double> read = readTypedDegrees(c.text, c.latitude);
        ASSERT_TRUE(read.value) << c.text << ": " << read.problem;
        EXPECT_NEAR(*read.value, c.degrees, 0.01 / 3600) << c.text;
    }
}

TEST(TypedCoordinate, RefusesAnythingElseWithAReason) {
    const std::pair<const char*, bool> refused[] = {
        {"", true},        {"abc", true},         {"95.0", true},
        {"181", false},    {"48 75", true},       {"48 20 61", true},
        {"48.5 20", true}, {"48 20 30 40", true}, {"48°20'30\"E", true},
        {"8 N", false},    {"N48N", true},        {"-48N", true},
        {"30'", true},     {"48°°", true},        {"1.2.3", true},
        {"48 N 20", true}, {"48'20°", true},      {"N", true},
    };
    for (const auto& [text, latitude] : refused) {
        const TypedCoordinate<double> read = readTypedDegrees(text, latitude);
        EXPECT_FALSE(read.value) << text;
        EXPECT_FALSE(read.problem.empty()) << text;
    }
    EXPECT_EQ(readTypedDegrees("95.0", true).problem, "A latitude lies within 90° north or south.");
    EXPECT_EQ(readTypedCoordinate<Longitude>("abc").problem, "“a” cannot be part of a longitude.");
}

TEST(TypedCoordinate, ReadsBackEveryNotationItPrints) {
    const double printedPrecision = 0.0005 / 60;  // of the decimal minutes
    for (const double degrees : {48.107499, -4.5, 0.00001, 89.99999}) {
        const Latitude latitude = Latitude::fromDegrees(degrees);
        const Longitude longitude = Longitude::fromDegrees(degrees * 2);
        for (const bool sign : {true, false}) {
            for (const std::string& text : {latitude.descriptionWithDecimalSeconds(sign),
                                            latitude.descriptionWithDecimalMinutes(sign),
                                            latitude.descriptionWithDecimalDegrees(sign)}) {
                const auto read = readTypedCoordinate<Latitude>(text);
                ASSERT_TRUE(read.value) << text;
                EXPECT_NEAR(read.value->doubleValue(), degrees, printedPrecision) << text;
            }
            const auto read = readTypedCoordinate<Longitude>(longitude.description());
            ASSERT_TRUE(read.value) << longitude.description();
            EXPECT_NEAR(read.value->doubleValue(), degrees * 2, 0.005 / 3600);
        }
    }
}

TEST(Coordinate, SettersAnswerValidityOfTheirKind) {
    Coordinate plain;
    EXPECT_FALSE(plain.setValueFromDouble(10));
    EXPECT_EQ(plain.descriptionWithDecimalDegrees(true), "Use Latitude or Longitude.");
    Latitude latitude;
    EXPECT_TRUE(latitude.setValueFromDouble(-90));
    EXPECT_FALSE(latitude.setValueFromDouble(90.0001));
    EXPECT_FALSE(latitude.setValueFromString("91 00.000 S"));
    Longitude longitude;
    EXPECT_TRUE(longitude.setValueFromDouble(180));
    EXPECT_FALSE(longitude.setValue(-180, 0, 1));
}

TEST(Coordinate, SplitsTheMagnitudeComparesAndCopies) {
    Latitude latitude;
    latitude.setValue(-52, 7, 3.25);
    EXPECT_TRUE(latitude.isNegative());
    EXPECT_EQ(latitude.degrees(), 52);
    EXPECT_EQ(latitude.minutes(), 7);
    EXPECT_NEAR(latitude.seconds(), 3.25, 1e-9);
    EXPECT_TRUE(latitude.isEqualTo(Longitude::fromDegrees(latitude.doubleValue() + 0.00009)));
    EXPECT_FALSE(latitude.isEqualTo(Latitude::fromDegrees(latitude.doubleValue() - 0.00011)));
    const Coordinate copy = latitude.copy();
    EXPECT_TRUE(copy.isEqualTo(latitude));
    EXPECT_FALSE(copy.isValid());
}

TEST(Coordinate, HugeOrNonNumericTextsStayBoundedAndInvalid) {
    for (const char* text : {"inf.", "nan.0 N", "-inf.", "99999999999999999", "1.0e300"}) {
        const Longitude longitude = Longitude::fromString(text);
        EXPECT_FALSE(longitude.isValid()) << text;
        EXPECT_FALSE(longitude.description().empty());
        EXPECT_GE(longitude.degrees(), 0);
    }
}

// Latitudes print two degree digits, longitudes three; rounding carries into the next unit.
TEST(Coordinate, PrintsTheThreeNotations) {
    Latitude latitude;
    latitude.setValue(52, 7, 3.25);
    const Longitude west = Longitude::fromDegrees(-4.5);
    // A hair below 8 degrees: truncation alone would print 07 59' 60.00".
    const Latitude justBelow = Latitude::fromDegrees(8.0 - 1e-9);
    const std::pair<std::string, std::string> cases[] = {
        {latitude.description(), "52" + kDeg + " 07' 03.25\"N"},
        {latitude.descriptionWithDecimalSeconds(true), "52" + kDeg + " 07' 03.25\""},
        {latitude.descriptionWithDecimalMinutes(false), "52" + kDeg + " 07.054'N"},
        {latitude.descriptionWithDecimalDegrees(false), "52.117569" + kDeg + "N"},
        {Latitude::fromDegrees(-5.5).descriptionWithDecimalSeconds(false),
         "05" + kDeg + " 30' 00.00\"S"},
        {Latitude::fromDegrees(-5.5).descriptionWithDecimalDegrees(true), "-05.500000" + kDeg},
        {west.descriptionWithDecimalSeconds(true), "-004" + kDeg + " 30' 00.00\""},
        {west.descriptionWithDecimalMinutes(false), "004" + kDeg + " 30.000'W"},
        {west.descriptionWithDecimalDegrees(false), "004.500000" + kDeg + "W"},
        {Longitude::fromDegrees(145.25).descriptionWithDecimalSeconds(false),
         "145" + kDeg + " 15' 00.00\"E"},
        {justBelow.descriptionWithDecimalSeconds(false), "08" + kDeg + " 00' 00.00\"N"},
        {justBelow.descriptionWithDecimalMinutes(false), "08" + kDeg + " 00.000'N"},
        {Latitude::fromDegrees(1 + 9.9999 / 3600).descriptionWithDecimalSeconds(true),
         "01" + kDeg + " 00' 10.00\""},
        {Latitude::fromDegrees(1 + 9.99999 / 60).descriptionWithDecimalMinutes(true),
         "01" + kDeg + " 10.000'"},
        {Longitude::fromDegrees(99.9999999).descriptionWithDecimalDegrees(true),
         "100.000000" + kDeg},
        // 48 06.450 is 48 06' 27", not 26.99".
        {Latitude::fromDegrees(48 + 6.45 / 60).description(), "48" + kDeg + " 06' 27.00\"N"}};
    for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
}

}  // namespace
}  // namespace kelvo
