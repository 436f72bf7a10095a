#include "LoggerAccess/Volkslogger/VolksloggerDatabase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "LoggerAccess/Volkslogger/DBB.h"

namespace kelvo::vl {
namespace {

using WPT = VLAPI_DATA::WPT;
using DCLWPT = VLAPI_DATA::DCLWPT;

WPT waypoint(const char* name, double lat, double lon, std::uint8_t type = 0) {
    WPT w;
    std::snprintf(w.name, sizeof w.name, "%.6s", name);
    w.lat = lat;
    w.lon = lon;
    w.typ = type;
    return w;
}

Bytes encode(WPT w) {
    Bytes record(13);
    w.put(record);
    return record;
}

Bytes encode(DCLWPT w) {
    Bytes record(16);
    w.put(record);
    return record;
}

DCLWPT lineZone(int width) {
    DCLWPT w;
    w.zonetype = 1;
    w.linewidth = static_cast<std::int16_t>(width);
    return w;
}

TEST(VolksloggerWaypointRecord, CoordinatesSignBitsAndPaddedUpperCaseName) {
    const Bytes record = encode(waypoint("ab", -52.5, 13.25, 0x85));
    EXPECT_EQ(record,
              (Bytes{'A', 'B', ' ', ' ', ' ', ' ', 0x05, 0xB0, 0x10, 0xB0, 0x0C, 0x21, 0x78}));
    WPT back;
    back.get(record);
    EXPECT_STREQ(back.name, "AB    ");
    EXPECT_DOUBLE_EQ(back.lat, -52.5);
    EXPECT_DOUBLE_EQ(back.lon, 13.25);
    EXPECT_EQ(back.typ, 0x05);

    const Bytes west = encode(waypoint("HOCHKO", 47.0, -0.5));
    EXPECT_EQ(west[6], 0x80);
    back.get(west);
    EXPECT_DOUBLE_EQ(back.lon, -0.5);
}

TEST(VolksloggerWaypointRecord, AllOnesSlotEncodesAsTheEmptyRecord) {
    WPT empty;
    std::memset(empty.name, 0xFF, sizeof empty.name);
    empty.typ = 0xFF;
    empty.lat = std::numeric_limits<double>::quiet_NaN();
    empty.lon = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(encode(empty), (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0, 0}));
    // Infinite coordinates are limited to the field instead of overflowing it.
    const Bytes huge = encode(waypoint("X", std::numeric_limits<double>::infinity(), -1e9));
    EXPECT_EQ(getU24BE(huge, 7), 0x7FFFFFu);
    EXPECT_EQ(getU24BE(huge, 10), 0xFFFFFFu);
}

TEST(VolksloggerDeclarationWaypoint, ZoneSizesDirectionsAndTheirReadBack) {
    struct Case {
        int width;
        std::uint8_t zone;
        int readBack;
    };
    // A width two nibbles cannot multiply to is stored as the nearest one (the wider on a tie).
    for (const Case c : {Case{16, 0x28, 16}, Case{17, 0x29, 18}, Case{211, 0xEF, 210},
                         Case{0, 0x10, 0}, Case{-4, 0x10, 0}, Case{1000, 0xFF, 225}}) {
        const Bytes record = encode(lineZone(c.width));
        EXPECT_EQ(record[14], c.zone) << c.width;
        EXPECT_EQ(record[15], 1);
        DCLWPT back;
        back.get(record);
        EXPECT_EQ(back.linewidth, c.readBack) << c.width;
        EXPECT_EQ(back.cylinderradius, 0);
    }

    DCLWPT sector;
    sector.cylinderradius = 460;  // stored to the nearest 100 m and 1000 m
    sector.sectorradius = 9600;
    sector.sectordirection = 357;  // to the nearest 2 degrees
    const Bytes record = encode(sector);
    EXPECT_EQ(record[13], 179);
    EXPECT_EQ(record[14], 0xA5);
    sector.sectordirection = 359;
    EXPECT_EQ(encode(sector)[13], 0) << "359 degrees is nearest to 360, that is 0";
    EXPECT_EQ(record[15], 0);
    DCLWPT back;
    back.get(record);
    EXPECT_EQ(back.sectordirection, 358);
    EXPECT_EQ(back.cylinderradius, 500);
    EXPECT_EQ(back.sectorradius, 10000);
    EXPECT_EQ(back.linewidth, 0);
}

TEST(VolksloggerDatabaseImage, OneWaypointGivesTheDocumentedDirectory) {
    VolksloggerDatabase db;
    db.waypoints.push_back(waypoint("ab", -52.5, 13.25));
    const Bytes image = db.buildImage();
    ASSERT_EQ(image.size(), 16384u);
    const Bytes directory(image.begin(), image.begin() + 24);
    EXPECT_EQ(directory,
              (Bytes{0x00, 0x30, 0x00, 0x30, 0x0D, 0x06, 0xFF, 0xFF, 0xFF, 0xEF, 0x10, 0x10,
                     0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x6F, 0x90, 0x0E}));
    for (int i = 24; i < 48; ++i) EXPECT_EQ(image[i], 0xFF) << i;
    EXPECT_EQ(Bytes(image.begin() + 48, image.begin() + 61), encode(waypoint("ab", -52.5, 13.25)));
    for (int i = 61; i < 12288; ++i) ASSERT_EQ(image[i], 0xFF) << i;

    VolksloggerDatabase read;
    read.readImage(image);
    ASSERT_EQ(read.waypoints.size(), 1u);
    EXPECT_STREQ(read.waypoints[0].name, "AB    ");
    EXPECT_TRUE(read.routes.empty());
    EXPECT_TRUE(read.pilots.empty());
}

TEST(VolksloggerDatabaseImage, HostileDirectoryNeverReadsOutsideTheBlock) {
    Bytes image(16384, 0xFF);
    // Waypoints from 12280 to 12287 with 13-byte records: only what fits is read.
    const Bytes entry = {0x2F, 0xF8, 0xFF, 0xF0, 13, 6};
    std::copy(entry.begin(), entry.end(), image.begin());
    // Routes claiming 1-byte records are refused as a whole.
    const Bytes routes = {0x00, 0x30, 0x00, 0x40, 1, 14};
    std::copy(routes.begin(), routes.end(), image.begin() + 18);
    VolksloggerDatabase db;
    db.waypoints.resize(3);  // what was read before goes
    db.routes.resize(2);
    db.pilots.resize(1);
    db.readImage(image);
    EXPECT_TRUE(db.waypoints.empty());
    EXPECT_TRUE(db.routes.empty());
    EXPECT_TRUE(db.pilots.empty());
    // A short image reads as if padded with 0xFF.
    VolksloggerDatabase one;
    one.waypoints.push_back(waypoint("ab", 1, 2));
    db.readImage(ByteSpan(one.buildImage()).first(61));
    EXPECT_EQ(db.waypoints.size(), 1u);
}

TEST(DBB, FormFieldsAreFoundBySteppingOverLengths) {
    DBB dbb;
    dbb.add_fdf(5, Bytes{'L', 'S', '4', 0});
    dbb.add_fdf(7, Bytes{'X', 0});
    EXPECT_EQ(dbb.fdf_findfield(5), 0);
    EXPECT_EQ(dbb.fdf_findfield(7), 6);
    EXPECT_EQ(dbb.fdf_findfield(8), -1);
    EXPECT_EQ(dbb.fieldData(7)->size(), 2u);
    dbb.fdf[6] = 0;  // a zero length ends the search
    EXPECT_EQ(dbb.fdf_findfield(9), -1);
    // A field that would overrun the form area is not added.
    DBB full;
    for (int i = 0; i < 20; ++i) full.add_fdf(100, Bytes(250, 0x41));
    EXPECT_EQ(full.fdf_findfield(100), 0);
    EXPECT_EQ(full.fdf[16 * 252], 0xFF);
}

VolksloggerDatabase fullDatabase() {
    VolksloggerDatabase db;
    for (int i = 0; i < 500; ++i) {
        db.waypoints.push_back(waypoint(("w" + std::to_string(i)).c_str(), -60 + i * 0.2,
                                        -179 + i * 0.7, static_cast<std::uint8_t>(i % 128)));
    }
    for (int r = 0; r < 25; ++r) {
        VLAPI_DATA::ROUTE route;
        std::snprintf(route.name, sizeof route.name, "route %d long", r);
        for (int k = 0; k < 10; ++k)
            route.wpt[k] = db.waypoints[static_cast<std::size_t>(r * 10 + k)];
        db.routes.push_back(route);
    }
    for (int p = 0; p < 25; ++p) {
        VLAPI_DATA::PILOT pilot;
        std::snprintf(pilot.name, sizeof pilot.name, "pilot number %d", p);
        db.pilots.push_back(pilot);
    }
    VLAPI_DATA::DECLARATION& d = db.declaration;
    std::strcpy(d.pilot, "first piece abcdsecond piece xyzthird and fourth piece of it");
    std::strcpy(d.gliderid, "d-1234");
    std::strcpy(d.glidertype, "ls8-18");
    std::strcpy(d.competitionclass, "18 metre");
    std::strcpy(d.competitionid, "ab");
    d.homepoint = waypoint("home", 47.5, 8.25);
    static_cast<WPT&>(d.startpoint) = waypoint("start", 47.6, 8.3);
    d.startpoint.zonetype = 1;
    d.startpoint.linewidth = 30;
    static_cast<WPT&>(d.finishpoint) = waypoint("finish", 47.7, 8.4);
    d.finishpoint.cylinderradius = 500;
    d.nturnpoints = 12;
    for (int i = 0; i < 12; ++i) {
        static_cast<WPT&>(d.turnpoints[i]) =
            waypoint(("tp" + std::to_string(i)).c_str(), 46 + i, 7 + i);
        d.turnpoints[i].sectorradius = static_cast<std::int16_t>(1000 * (i + 1));
        d.turnpoints[i].sectordirection = static_cast<std::int16_t>(30 * i);
    }
    return db;
}

// Coordinates are rounded to thousandths of a minute on the way.
constexpr double kUnit = 0.5001 / 60000;

void expectSameWaypoint(const WPT& read, const WPT& written) {
    char padded[7];
    std::snprintf(padded, sizeof padded, "%-6s", written.name);
    EXPECT_STREQ(read.name, padded);
    EXPECT_NEAR(read.lat, written.lat, kUnit);
    EXPECT_NEAR(read.lon, written.lon, kUnit);
    EXPECT_EQ(read.typ, written.typ);
}

TEST(VolksloggerDatabaseImage, FullDatabaseRoundTrips) {
    VolksloggerDatabase written = fullDatabase();
    const Bytes image = written.buildImage();  // upper-cases the written names in place
    EXPECT_EQ(getU16BE(image, 0), 48);
    EXPECT_EQ(getU16BE(image, 2), 48 + 499 * 13);

    VolksloggerDatabase read;
    read.readImage(image);
    ASSERT_EQ(read.waypoints.size(), 500u);
    ASSERT_EQ(read.routes.size(), 25u);
    ASSERT_EQ(read.pilots.size(), 25u);
    for (std::size_t i = 0; i < 500; ++i)
        expectSameWaypoint(read.waypoints[i], written.waypoints[i]);
    EXPECT_STREQ(read.routes[24].name, "ROUTE 24 LONG ");
    EXPECT_STREQ(read.pilots[3].name, "PILOT NUMBER 3  ");
    expectSameWaypoint(read.routes[24].wpt[9], written.waypoints[249]);

    const VLAPI_DATA::DECLARATION& d = read.declaration;
    EXPECT_STREQ(d.pilot, "FIRST PIECE ABCDSECOND PIECE XYZTHIRD AND FOURTH PIECE OF IT");
    EXPECT_STREQ(d.gliderid, "D-1234");
    EXPECT_STREQ(d.glidertype, "LS8-18");
    EXPECT_STREQ(d.competitionclass, "18 METRE");
    EXPECT_STREQ(d.competitionid, "AB");
    expectSameWaypoint(d.homepoint, written.declaration.homepoint);
    expectSameWaypoint(d.startpoint, written.declaration.startpoint);
    EXPECT_EQ(d.startpoint.zonetype, 1);
    EXPECT_EQ(d.startpoint.linewidth, 30);
    EXPECT_EQ(d.finishpoint.cylinderradius, 500);
    ASSERT_EQ(d.nturnpoints, 12);
    for (int i = 0; i < 12; ++i) {
        expectSameWaypoint(d.turnpoints[i], written.declaration.turnpoints[i]);
        EXPECT_EQ(d.turnpoints[i].sectorradius, 1000 * (i + 1));
        EXPECT_EQ(d.turnpoints[i].sectordirection, 30 * i);
    }
}

}  // namespace
}  // namespace kelvo::vl
