#include "files/CUPFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "LoggerAccess/LoggerData.h"
#include "base/Log.h"
#include "geo/Route.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

using ::testing::ElementsAre;

const std::filesystem::path kData = std::filesystem::path(KELVO_TEST_DATA_DIR) / "files";

std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

std::vector<std::string> routePoints(const Route& route) {
    std::vector<std::string> titles;
    for (const auto& waypoint : route.waypoints()) titles.push_back(waypoint->longName());
    return titles;
}

std::shared_ptr<Waypoint> hockenheim() {
    auto waypoint = std::make_shared<Waypoint>();
    waypoint->setLongName("Hockenheim");
    waypoint->setName("HOCKEN");
    waypoint->setCountry("DE");
    waypoint->setLatitude(Latitude::fromDegrees(49.0 + 19.0 / 60.0 + 30.0 / 3600.0));
    waypoint->setLongitude(Longitude::fromDegrees(8.0 + 31.2 / 60.0));
    waypoint->setElevation(95.6);
    waypoint->setType(2);
    waypoint->setFrequency(122.5);
    return waypoint;
}

TEST(CUPFile, ReadsCoordinatesInDegreesAndDecimalMinutes) {
    EXPECT_NEAR(CUPFile::makeLatitude("4919.500N")->doubleValue(), 49.325, 1e-9);
    EXPECT_NEAR(CUPFile::makeLatitude(" 3351.500S\r")->doubleValue(), -33.858333, 1e-6);
    EXPECT_NEAR(CUPFile::makeLongitude("00831.200E")->doubleValue(), 8.52, 1e-9);
    EXPECT_NEAR(CUPFile::makeLongitude("07015.0000W")->doubleValue(), -70.25, 1e-9);
    EXPECT_FALSE(CUPFile::makeLatitude("4919.50N"));     // too short
    EXPECT_FALSE(CUPFile::makeLatitude("49x9.500N"));    // not a number
    EXPECT_FALSE(CUPFile::makeLatitude("4965.000N"));    // 65 minutes
    EXPECT_FALSE(CUPFile::makeLatitude("4760.500N"));    // 60.5 minutes
    EXPECT_NEAR(CUPFile::makeLatitude("4759.999N")->doubleValue(), 47.0 + 59.999 / 60.0, 1e-9);
    EXPECT_EQ(CUPFile::makeLatitude("4760.000N")->doubleValue(), 48.0);  // 59.9996 rounded
    EXPECT_FALSE(CUPFile::makeLatitude("4719.500X"));                    // no hemisphere
    EXPECT_FALSE(CUPFile::makeLongitude("00831.200N"));
    EXPECT_FALSE(CUPFile::makeLatitude("9930.000N"));    // beyond the pole
    EXPECT_FALSE(CUPFile::makeLongitude("18130.000E"));  // beyond the date line

    CapturingLogSink log;
    EXPECT_FALSE(CUPFile::makeLatitude("00831.200E"));
    EXPECT_FALSE(CUPFile::makeLongitude("4919.5000N "));
    EXPECT_THAT(log.lines(), ElementsAre("Trying to put a longitude inside a latitude.",
                                         "Trying to put a latitude into a longitude."));
}

TEST(CUPFile, ReadsNumbersWithTheirUnits) {
    EXPECT_DOUBLE_EQ(CUPFile::makeElevation("504.0m"), 504.0);
    EXPECT_DOUBLE_EQ(CUPFile::makeElevation("1654ft"), 504.1392);
    EXPECT_DOUBLE_EQ(CUPFile::makeElevation("95"), 95.0);  // files of older versions of Kelvo
    EXPECT_DOUBLE_EQ(CUPFile::makeElevation("m"), 0.0);
    EXPECT_DOUBLE_EQ(CUPFile::makeElevation("nanm"), 0.0);
    EXPECT_EQ(CUPFile::makeRunwayLength("1200.0m"), 1200);
    EXPECT_EQ(CUPFile::makeRunwayLength("3000ft"), 914);
    EXPECT_EQ(CUPFile::makeRunwayLength("1e300m"), 0);
    EXPECT_EQ(CUPFile::makeWaypointType("99999999999"), 0);
    EXPECT_DOUBLE_EQ(CUPFile::makeFrequency(" \"123.500\" "), 123.5);
    EXPECT_DOUBLE_EQ(CUPFile::makeFrequency("\"\""), 0.0);
}

TEST(CUPFile, SplitsFieldsOnlyAtCommasOutsideQuotes) {
    EXPECT_THAT(CUPFile::splitFields("\"Aalen, Heidenheim\",EDPA,,DE"),
                ElementsAre("Aalen, Heidenheim", "EDPA", "", "DE"));
    EXPECT_THAT(CUPFile::splitFields("\"Elchingen \"\"Hard\"\"\", \"x\""),
                ElementsAre("Elchingen \"Hard\"", "x"));
    EXPECT_THAT(CUPFile::splitFields("5'30\"W,\"open"), ElementsAre("5'30\"W", "open"));
}

// The Hockenheim line itself is written by WritesWindows1252WhenEveryCharacterFits.
TEST(CUPFile, WritesQuotesCommasAndSouthernWesternCoordinates) {
    Waypoint south;
    south.setName("SYD \"1\"");
    south.setCountry("AU, NSW");
    south.setLatitude(Latitude::fromDegrees(-(33.0 + 51.5 / 60.0)));
    south.setLongitude(Longitude::fromDegrees(-(0.0 + 59.99999 / 60.0)));
    south.setElevation(-0.4);
    EXPECT_EQ(CUPFile::createLine(south),
              "\"SYD \"\"1\"\"\",\"SYD \"\"1\"\"\",\"AU, NSW\",3351.500S,00100.000W,0.0m,0,0,0.0m,,"
              "\"SYD \"\"1\"\"\"");
}

TEST(CUPFile, ReadsUtf8FileWithNewerColumnsAndTaskOptions) {
    LoggerData data;
    data.addRoute(std::make_shared<Route>());
    CUPFile().parseFile(kData / "jura-utf8.cup", data);

    ASSERT_EQ(data.waypointCount(), 5u);
    const Waypoint& aalen = *data.waypoints()[0];
    EXPECT_EQ(aalen.name(), "EDPA");
    EXPECT_NEAR(aalen.latitudeDegrees(), 48.0 + 46.7 / 60.0, 1e-9);
    EXPECT_NEAR(aalen.longitudeDegrees(), 10.0 + 15.85 / 60.0, 1e-9);
    EXPECT_NEAR(aalen.elevation(), 1916 * 0.3048, 1e-9);
    EXPECT_EQ(aalen.runwayLength(), 1000);
    EXPECT_DOUBLE_EQ(aalen.frequency(), 130.18);  // after rwwidth
    EXPECT_EQ(data.waypoints()[1]->longName(), "\u0141\u00F3d\u017A Lublinek");
    EXPECT_EQ(data.waypoints()[2]->longName(), "\u010C\u00E1slav");
    EXPECT_DOUBLE_EQ(data.waypoints()[2]->frequency(), 0.0);
    EXPECT_EQ(data.waypoints()[4]->runwayLength(), 0);

    ASSERT_EQ(data.routeCount(), 2u);  // the option lines are no routes
    EXPECT_EQ(data.routes()[0]->name(), "Jura 300");
    EXPECT_THAT(routePoints(*data.routes()[0]),
                ElementsAre("Hahnweide", "Aalen, Heidenheim", "Teck Burg", "Hahnweide"));
    EXPECT_THAT(routePoints(*data.routes()[1]),
                ElementsAre(data.waypoints()[1]->longName(), data.waypoints()[2]->longName()));
    EXPECT_NE(data.routes()[0]->waypoints()[0], data.waypoints()[3]);  // copies
}

TEST(CUPFile, ReadsWindows1252FileWithSouthernAndWesternCoordinates) {
    LoggerData data;
    CUPFile().parseFile(kData / "rheinland-1252.cup", data);

    ASSERT_EQ(data.waypointCount(), 4u);
    EXPECT_EQ(data.waypoints()[0]->longName(), "K\u00F6ln Bonn");
    EXPECT_DOUBLE_EQ(data.waypoints()[0]->frequency(), 120.5);
    EXPECT_EQ(data.waypoints()[1]->longName(), "Gro\u00DFr\u00FCckerswalde");
    const Waypoint& canada = *data.waypoints()[2];
    EXPECT_EQ(canada.longName(), "Ca\u00F1ada Rosqu\u00EDn");
    EXPECT_EQ(canada.name(), "");
    EXPECT_NEAR(canada.latitudeDegrees(), -32.05, 1e-9);
    EXPECT_NEAR(canada.longitudeDegrees(), -61.6, 1e-9);
    ASSERT_EQ(data.routeCount(), 1u);
    EXPECT_THAT(routePoints(*data.routes()[0]),
                ElementsAre("K\u00F6ln Bonn", "K\u00FChkopf Br\u00FCcke"));
}

TEST(CUPFile, SkipsLinesThatAreNoWaypointsAndRejectsSeveralTaskSections) {
    const std::string waypoints =
        "Title,Code,Country,Latitude,Longitude,Elevation,Style,Direction,Length,Frequency,Desc\n"
        "\"Title\",A,DE,4919.500N,00831.200E,95.0m,2,0,0.0m,,\n"
        "\"Short\",S,DE,4919.500N\n"
        "\"Bad\",B,DE,north,00831.200E,95.0m,2,0,0.0m,,\n"
        "\"Good\",G,DE,4919.500N,00831.200E,95.0m,2,0,0.0m,,\n";
    LoggerData data;
    CUPFile file;
    file.parseData(bytesOf(waypoints), data);
    ASSERT_EQ(data.waypointCount(), 1u);  // a waypoint without position is none
    EXPECT_EQ(data.waypoints()[0]->name(), "G");
    EXPECT_THAT(file.badLines(),
                ElementsAre("line 4: \"Bad\" has no readable latitude (\"north\")"));

    const std::string twice = waypoints + "-----Related Tasks-----\n-----Related Tasks-----\n";
    LoggerData untouched;
    untouched.addWaypoint(hockenheim());
    CUPFile().parseData(bytesOf(twice), untouched);
    EXPECT_EQ(untouched.waypointCount(), 1u);
}

// Task lines stand for an unset take-off or landing with "???" or an empty field; a point the
// file does not define is a fault of the line, which is named.
TEST(CUPFile, TasksSkipPlaceholdersAndNameUndefinedPoints) {
    const std::string text =
        "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n"
        "\"Hahnweide\",EDST,DE,4838.233N,00925.850E,354.0m,2,250,800.0m,,\r\n"
        "\"Teck Burg\",TECK,DE,4835.633N,00928.167E,775.0m,7,,,,\r\n"
        "-----Related Tasks-----\r\n"
        "\"Placeholders\",\"???\",\"Hahnweide\",\"Teck Burg\",\"Hahnweide\",\"???\"\r\n"
        "\"Empty ends\",\"\",\"Teck Burg\",\"Hahnweide\",\r\n"
        "\"Typo\",\"???\",\"Hahnweide\",\"Teck Burgg\",\"Hahnweide\",\"???\"\r\n";
    LoggerData data;
    CUPFile file;
    file.parseData(bytesOf(text), data);
    ASSERT_EQ(data.routeCount(), 2u);
    EXPECT_THAT(routePoints(*data.routes()[0]), ElementsAre("Hahnweide", "Teck Burg", "Hahnweide"));
    EXPECT_THAT(routePoints(*data.routes()[1]), ElementsAre("Teck Burg", "Hahnweide"));
    EXPECT_THAT(file.badLines(), ElementsAre("line 7: task \"Typo\" names \"Teck Burgg\", which "
                                             "the file does not define"));
}

TEST(CUPFile, RoundTripKeepsEveryAttributeTheFormatHolds) {
    LoggerData data;
    data.addWaypoint(hockenheim());
    auto lodz = std::make_shared<Waypoint>();
    lodz->setValueFromDegrees("EPLL", 51.721383, 19.398617, 184.0);
    lodz->setLongName("\u0141\u00F3d\u017A, \"Lublinek\"");
    lodz->setCountry("PL");
    lodz->setType(5);
    lodz->setRunwayDirection(250);
    lodz->setRunwayLength(2100);
    lodz->setFrequency(124.23);
    data.addWaypoint(lodz);
    auto noTitle = std::make_shared<Waypoint>();
    noTitle->setValueFromDegrees("SOUTH", -33.858333, -70.25, -12.0);
    data.addWaypoint(noTitle);
    auto route = std::make_shared<Route>();
    route->setValue("Out, and back", {hockenheim(), lodz, noTitle, hockenheim()});
    data.addRoute(route);
    data.addRoute(std::make_shared<Route>());

    const std::optional<Bytes> file = CUPFile().makeDataFromLoggerData(&data);
    ASSERT_TRUE(file);
    EXPECT_EQ(textOf(*file).rfind("\uFEFFname,code,country,", 0), 0u);  // UTF-8
    LoggerData read;
    CUPFile().parseData(*file, read);

    ASSERT_EQ(read.waypointCount(), data.waypointCount());
    for (std::size_t i = 0; i < data.waypointCount(); ++i) {
        const Waypoint& written = *data.waypoints()[i];
        const Waypoint& back = *read.waypoints()[i];
        EXPECT_EQ(CUPFile::createLine(back), CUPFile::createLine(written));
        EXPECT_EQ(back.longName(), written.description());
        EXPECT_TRUE(back.isEqualTo(written));
    }
    ASSERT_EQ(read.routeCount(), 2u);
    EXPECT_EQ(read.routes()[0]->name(), "Out, and back");
    EXPECT_THAT(routePoints(*read.routes()[0]),
                ElementsAre("Hockenheim", lodz->longName(), "SOUTH", "Hockenheim"));
    EXPECT_TRUE(read.routes()[1]->waypoints().empty());
}

TEST(CUPFile, WritesWindows1252WhenEveryCharacterFits) {
    LoggerData data;
    auto koeln = hockenheim();
    koeln->setLongName("K\u00F6ln");
    data.addWaypoint(koeln);
    const std::string text = textOf(*CUPFile().makeDataFromLoggerData(&data));
    EXPECT_EQ(text,
              "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n"
              "\"K\xF6ln\",\"HOCKEN\",DE,4919.500N,00831.200E,96.0m,2,0,0.0m,\"122.500\","
              "\"K\xF6ln\"\r\n");
    EXPECT_EQ(textOf(*CUPFile().makeDataFromLoggerData(nullptr)),
              "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n");
}

}  // namespace
}  // namespace kelvo
