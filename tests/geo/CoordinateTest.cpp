#include "geo/Coordinate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geo/Latitude.h"
#include "geo/Longitude.h"

namespace kelvo {
namespace {

const std::string kDeg = "\xC2\xBA";

double degreesOf(std::string_view text) {
    return Latitude::fromString(text).doubleValue();
}

TEST(Latitude, ParsesEveryNotationWithSignOrHemisphere) {
    const double dm = 52 + 7.054 / 60;
    EXPECT_DOUBLE_EQ(degreesOf("52 07.054 N"), dm);
    EXPECT_DOUBLE_EQ(degreesOf("52 07.054N"), dm);
    EXPECT_DOUBLE_EQ(degreesOf("52 07.054 n"), dm);
    EXPECT_DOUBLE_EQ(degreesOf("52 07.054 S"), -dm);
    EXPECT_DOUBLE_EQ(degreesOf("52 07.054w"), -dm);
    EXPECT_DOUBLE_EQ(degreesOf("-52 07.054"), -dm);
    EXPECT_DOUBLE_EQ(degreesOf(" \t52 07.054 E\t "), dm);

    EXPECT_DOUBLE_EQ(degreesOf("-52.5"), -52.5);
    EXPECT_DOUBLE_EQ(degreesOf("52.12345"), 52.12345);
    EXPECT_DOUBLE_EQ(degreesOf("52.5s"), -52.5);

    EXPECT_DOUBLE_EQ(degreesOf("52 07 03.25 N"), 52 + 7 / 60.0 + 3.25 / 3600);
    EXPECT_DOUBLE_EQ(degreesOf("52 07 03.25 S"), -(52 + 7 / 60.0 + 3.25 / 3600));
    // A doubled space leaves an empty component that reads as 0.
    EXPECT_DOUBLE_EQ(degreesOf("52  30"), 52 + 30 / 3600.0);
}

TEST(Latitude, ParsesPackedDegreesAndThousandthsOfMinutes) {
    EXPECT_DOUBLE_EQ(degreesOf("5212345"), 52 + 12.345 / 60);
    EXPECT_DOUBLE_EQ(degreesOf("5207054N"), 52 + 7.054 / 60);
    EXPECT_DOUBLE_EQ(degreesOf("5207054S"), -(52 + 7.054 / 60));
    EXPECT_DOUBLE_EQ(Longitude::fromString("00730500").doubleValue(), 7 + 30.5 / 60);
    EXPECT_DOUBLE_EQ(Longitude::fromString("-01330500").doubleValue(), -13.508333333333333);
}

TEST(Latitude, EmptyBlankOrOverlongTextGivesZero) {
    for (const char* text : {"", "   ", " \t ", "1 2 3 4", "N"}) {
        Latitude latitude = Latitude::fromDegrees(10);
        EXPECT_TRUE(latitude.setValueFromString(text)) << text;
        EXPECT_EQ(latitude.radians(), 0.0) << text;
    }
}

TEST(Latitude, HemisphereLetterAloneDecidesTheSign) {
    // A stray minus before a hemisphere letter must not turn 52 07 into -51 53.
    EXPECT_DOUBLE_EQ(degreesOf("-52 07.054 N"), 52 + 7.054 / 60);
    EXPECT_DOUBLE_EQ(degreesOf("-52 07.054 S"), -(52 + 7.054 / 60));
}

TEST(Coordinate, ReadsTrailingJunkAsFarAsItIsANumber) {
    EXPECT_DOUBLE_EQ(degreesOf("52x 30.5y"), 52 + 30.5 / 60);
    EXPECT_DOUBLE_EQ(degreesOf("ab 30"), 0.5);
}

TEST(Coordinate, StringToRadiansParsesWithoutHemisphere) {
    EXPECT_DOUBLE_EQ(Coordinate::stringToRadians("45.0"), kPi / 4);
    EXPECT_DOUBLE_EQ(Coordinate::stringToRadians("4500000W"), -kPi / 4);
}

TEST(Coordinate, SettersAnswerValidityOfTheirKind) {
    Coordinate plain;
    EXPECT_FALSE(plain.setValueFromDouble(10));
    EXPECT_FALSE(plain.isValid());
    EXPECT_EQ(plain.descriptionWithDecimalDegrees(true), "Use Latitude or Longitude.");
    EXPECT_EQ(plain.description(), "Use Latitude or Longitude.");

    Latitude latitude;
    EXPECT_TRUE(latitude.setValueFromDouble(90));
    EXPECT_TRUE(latitude.setValueFromDouble(-90));
    EXPECT_FALSE(latitude.setValueFromDouble(90.0001));
    EXPECT_FALSE(latitude.setValueFromString("91 00.000 S"));

    Longitude longitude;
    EXPECT_TRUE(longitude.setValueFromDouble(180));
    EXPECT_TRUE(longitude.setValueFromDouble(-180));
    EXPECT_FALSE(longitude.setValue(-180, 0, 1));
    EXPECT_TRUE(Longitude().isValid());
}

TEST(Coordinate, SplitsIntoDegreesMinutesSecondsOfTheMagnitude) {
    Latitude latitude;
    latitude.setValue(-52, 7, 3.25);
    EXPECT_TRUE(latitude.isNegative());
    EXPECT_EQ(latitude.degrees(), 52);
    EXPECT_EQ(latitude.minutes(), 7);
    EXPECT_NEAR(latitude.seconds(), 3.25, 1e-9);
    EXPECT_FALSE(Latitude().isNegative());

    EXPECT_EQ(Latitude::fromDegrees(12.5).seconds(), 0.0);
}

TEST(Coordinate, ComparesWithinAFractionOfAMillidegree) {
    const Latitude a = Latitude::fromDegrees(52.0);
    EXPECT_TRUE(a.isEqualTo(Longitude::fromDegrees(52.00009)));
    EXPECT_FALSE(a.isEqualTo(Latitude::fromDegrees(52.00011)));
    EXPECT_FALSE(a.isEqualTo(Latitude::fromDegrees(-52.0)));
}

TEST(Coordinate, CopyIsAPlainCoordinateWithTheSameAngle) {
    const Latitude latitude = Latitude::fromDegrees(-33.25);
    const Coordinate copy = latitude.copy();
    EXPECT_TRUE(copy.isEqualTo(latitude));
    EXPECT_DOUBLE_EQ(copy.doubleValue(), -33.25);
    EXPECT_FALSE(copy.isValid());
    EXPECT_EQ(copy.description(), "Use Latitude or Longitude.");
}

TEST(Coordinate, HugeOrNonNumericTextsStayBoundedAndInvalid) {
    for (const char* text : {"inf.", "nan.0 N", "-inf.", "99999999999999999", "1.0e300"}) {
        const Longitude longitude = Longitude::fromString(text);
        EXPECT_FALSE(longitude.isValid()) << text;
        EXPECT_FALSE(longitude.description().empty());
        EXPECT_GE(longitude.degrees(), 0);
    }
}

TEST(Latitude, PrintsTheThreeNotations) {
    Latitude latitude;
    latitude.setValue(52, 7, 3.25);
    EXPECT_EQ(latitude.descriptionWithDecimalSeconds(false), "52" + kDeg + " 07' 03.25\"N");
    EXPECT_EQ(latitude.descriptionWithDecimalSeconds(true), "52" + kDeg + " 07' 03.25\"");
    EXPECT_EQ(latitude.descriptionWithDecimalMinutes(true), "52" + kDeg + " 07.054'");
    EXPECT_EQ(latitude.descriptionWithDecimalMinutes(false), "52" + kDeg + " 07.054'N");
    EXPECT_EQ(latitude.descriptionWithDecimalDegrees(false), "52.117569" + kDeg + "N");
    EXPECT_EQ(latitude.description(), latitude.descriptionWithDecimalSeconds(false));

    const Latitude south = Latitude::fromDegrees(-5.5);
    EXPECT_EQ(south.descriptionWithDecimalSeconds(false), "05" + kDeg + " 30' 00.00\"S");
    EXPECT_EQ(south.descriptionWithDecimalSeconds(true), "-05" + kDeg + " 30' 00.00\"");
    EXPECT_EQ(south.descriptionWithDecimalMinutes(false), "05" + kDeg + " 30.000'S");
    EXPECT_EQ(south.descriptionWithDecimalDegrees(true), "-05.500000" + kDeg);
    EXPECT_EQ(south.descriptionWithDecimalDegrees(false), "05.500000" + kDeg + "S");
}

TEST(Longitude, PrintsTheThreeNotationsWithThreeDegreeDigits) {
    const Longitude west = Longitude::fromDegrees(-4.5);
    EXPECT_EQ(west.descriptionWithDecimalSeconds(true), "-004" + kDeg + " 30' 00.00\"");
    EXPECT_EQ(west.descriptionWithDecimalSeconds(false), "004" + kDeg + " 30' 00.00\"W");
    EXPECT_EQ(west.descriptionWithDecimalMinutes(false), "004" + kDeg + " 30.000'W");
    EXPECT_EQ(west.descriptionWithDecimalMinutes(true), "-004" + kDeg + " 30.000'");
    EXPECT_EQ(west.descriptionWithDecimalDegrees(true), "-004.500000" + kDeg);
    EXPECT_EQ(west.descriptionWithDecimalDegrees(false), "004.500000" + kDeg + "W");

    const Longitude east = Longitude::fromDegrees(45.25);
    EXPECT_EQ(east.descriptionWithDecimalDegrees(false), "045.250000" + kDeg + "E");
    EXPECT_EQ(Longitude::fromDegrees(145.25).descriptionWithDecimalDegrees(true),
              "145.250000" + kDeg);
    EXPECT_EQ(east.descriptionWithDecimalSeconds(false), "045" + kDeg + " 15' 00.00\"E");
    EXPECT_EQ(Longitude::fromDegrees(12.75).descriptionWithDecimalMinutes(false),
              "012" + kDeg + " 45.000'E");
}

TEST(Coordinate, RoundingCarriesIntoTheNextUnit) {
    // A hair below 8 degrees: truncation alone would print 07 59' 60.00".
    const Latitude justBelow = Latitude::fromDegrees(8.0 - 1e-9);
    EXPECT_EQ(justBelow.descriptionWithDecimalSeconds(false), "08" + kDeg + " 00' 00.00\"N");
    EXPECT_EQ(justBelow.descriptionWithDecimalMinutes(false), "08" + kDeg + " 00.000'N");
    // Seconds rounding up to 10 need no pad; minutes rounding up to 10 neither.
    EXPECT_EQ(Latitude::fromDegrees(1 + 9.9999 / 3600).descriptionWithDecimalSeconds(true),
              "01" + kDeg + " 00' 10.00\"");
    EXPECT_EQ(Latitude::fromDegrees(1 + 9.99999 / 60).descriptionWithDecimalMinutes(true),
              "01" + kDeg + " 10.000'");
    EXPECT_EQ(Longitude::fromDegrees(99.9999999).descriptionWithDecimalDegrees(true),
              "100.000000" + kDeg);
}

TEST(Coordinate, ParsedPrintRoundTrips) {
    for (double degrees : {-179.999, -45.5, -0.01, 0.0, 7.123456, 89.99, 179.5}) {
        const Longitude value = Longitude::fromDegrees(degrees);
        for (bool prefix : {true, false}) {
            EXPECT_NEAR(
                Longitude::fromString(value.descriptionWithDecimalMinutes(prefix)).doubleValue(),
                degrees, 1e-5)
                << degrees << prefix;
        }
    }
}

}  // namespace
}  // namespace kelvo
