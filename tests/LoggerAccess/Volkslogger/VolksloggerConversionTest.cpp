#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "base/UtcDate.h"
#include "sim/Volkslogger/VolksloggerFlight.h"
#include "sim/Volkslogger/VolksloggerStreamWriter.h"

namespace kelvo::vl {
namespace {

using sim::VolksloggerFlight;
using sim::VolksloggerStreamWriter;

struct Conversion {
    std::string text;
    long covered = 0;
    long endOffset = -1;
    std::uint16_t serial = 0;
};

Conversion convert(const Bytes& data, int version = 0, int fill = 1) {
    Conversion c;
    std::ostringstream out;
    c.covered = convert_gcs(version, out, data, fill, &c.serial, &c.endOffset);
    c.text = out.str();
    return c;
}

std::vector<std::string> linesStartingWith(const std::string& text, char letter) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == letter) lines.push_back(line);
    }
    return lines;
}

vl::VLAPI_DATA::WPT point(const char* name, double lat, double lon) {
    vl::VLAPI_DATA::WPT w;
    std::snprintf(w.name, sizeof w.name, "%s", name);
    w.lat = lat;
    w.lon = lon;
    return w;
}

// A short flight with every kind of record: declaration, events, full and differential
// fixes, a gap longer than a fix's delta can carry, and an engine-noise sensor.
VolksloggerFlight exampleFlight() {
    VolksloggerFlight f;
    f.pilot = "Hans Huber";
    f.gliderType = "LS4";
    f.gliderId = "D-1234";
    f.competitionId = "XY";
    f.competitionClass = "Standard";
    f.timeZoneQuarterHours = 8;
    f.firstFix = *utcTime(2009, 10, 7, 9, 5, 0);
    sim::VolksloggerTask task;
    task.declaredAt = -600;
    task.start = point("START", 52.5, 13.25);
    task.turnpoints.push_back(point("tp,1", 1, 2));
    task.finish = point("ZIEL", -33.5, -70.75);
    f.task = task;
    VolksloggerFlight::Fix fix;
    fix.latitude = 3150000;
    fix.longitude = 795000;
    fix.pressure = 3764;
    fix.altitude = 102;
    fix.accuracy = 3;
    fix.engineNoise = 10;
    fix.valid = false;
    f.fixes.push_back(fix);
    fix.at = 5;
    fix.latitude += 100;
    fix.longitude -= 200;
    fix.valid = true;
    fix.engineNoise = 200;
    f.fixes.push_back(fix);
    fix.at = 400;
    fix.latitude = -3150000;
    fix.longitude = -795000;
    f.fixes.push_back(fix);
    f.events = {3};
    f.takeoff = 5;
    return f;
}

TEST(VolksloggerConversion, WritesAWholeFlight) {
    const Bytes data = sim::encodeFlight(exampleFlight());
    const Conversion c = convert(data);
    EXPECT_EQ(c.text,
              "AGCS0YA\r\n"
              "HFDTE071009\r\n"
              "HFFXA050\r\n"
              "HFPLTPILOT:Hans Huber\r\n"
              "HFGTYGLIDERTYPE:LS4\r\n"
              "HFGIDGLIDERID:D-1234\r\n"
              "HFDTM100GPSDATUM:WGS84\r\n"
              "HFRFWFIRMWAREVERSION:3.6\r\n"
              "HFRHWHARDWAREVERSION:3.3\r\n"
              "HFFTYFR TYPE:GARRECHT INGENIEURGESELLSCHAFT,VOLKSLOGGER 1.0\r\n"
              "HFCIDCOMPETITIONID:XY\r\n"
              "HFCCLCOMPETITIONCLASS:Standard\r\n"
              "HFTZNTIMEZONE:UTC+02:00\r\n"
              "I023638FXA3941ENL\r\n"
              "LCONV-VER:4.24\r\n"
              "C071009085500000000000101\r\n"
              "C0000000N00000000E\r\n"
              "C5230000N01315000ESTART\r\n"
              "C0100000N00200000ETP 1\r\n"
              "C3330000S07045000WZIEL\r\n"
              "C0000000N00000000E\r\n"
              "B0905005230000N01315000EV0002000020100020\r\n"
              "E090503PEVEVENTBUTTON PRESSED\r\n"
              "LGCSTKF090505TAKEOFF DETECTED\r\n"
              "B0905055230100N01314800EA0002000020100825\r\n"
              "B0911405230000S01315000WA0002000020100825\r\n");
    EXPECT_EQ(c.covered, static_cast<long>(data.size()));
    EXPECT_EQ(c.endOffset, static_cast<long>(data.size()) - 41 + 1);
    EXPECT_EQ(c.serial, 1234);
}

TEST(VolksloggerConversion, WritesTheDocumentedFixLine) {
    VolksloggerStreamWriter w;
    w.start(1);
    w.data(80, Bytes{0x04, 0xD2, 100, 0x33, 0x36, 0, 50});
    w.date(0, 12 * 3600, 2005, 7, 14);
    w.raw(Bytes{0x9E, 0xB4, 0x05, 0x30, 0x10, 0xB0, 0x0C, 0x21, 0x78, 0x03, 0x66, 0x0A});
    // Latitude change 0x7FF to the south, longitude change 1 to the west.
    w.raw(Bytes{0xF0, 0x00, 0x01, 0x87, 0xFF, 0x01, 0x80, 0x00, 0x00});
    const auto fixes = linesStartingWith(convert(w.bytes()).text, 'B');
    ASSERT_EQ(fixes.size(), 2u);
    EXPECT_EQ(fixes[0], "B1200055230000N01315000EA0002000020100020");
    EXPECT_EQ(fixes[1], "B1200065227953N01314999EA00000-1000000000");
}

TEST(VolksloggerConversion, OlderHardwareWritesNoEngineNoise) {
    VolksloggerFlight f = exampleFlight();
    f.hardwareVersion = 0x32;
    f.task.reset();
    const Conversion c = convert(sim::encodeFlight(f));
    EXPECT_NE(c.text.find("\r\nI013638FXA\r\n"), std::string::npos);
    EXPECT_EQ(linesStartingWith(c.text, 'B')[1], "B0905055230100N01314800EA0002000020100");
    EXPECT_TRUE(linesStartingWith(c.text, 'C').empty());
}

TEST(VolksloggerConversion, FollowsTheRulesOfOlderIgcVersions) {
    VolksloggerFlight f = exampleFlight();
    f.timeZoneQuarterHours.reset();
    const Bytes data = sim::encodeFlight(f);

    const Conversion v413 = convert(data, 413);
    EXPECT_EQ(v413.text.substr(0, v413.text.find('\r')),
              "AGCS0YA  :4.13 created by DATA-GCS version:4.13");
    EXPECT_EQ(linesStartingWith(v413.text, 'B')[0], "B0905005230000N01315000EV0002000000100999040");
    EXPECT_EQ(v413.text.find("LCONV-VER"), std::string::npos);
    EXPECT_EQ(v413.text.find("FR TYPE"), std::string::npos);

    const Conversion v412 = convert(data, 412);
    EXPECT_NE(v412.text.find("HFPLTPILOT:Hans Huber\r\n"), std::string::npos);  // space trimmed
    EXPECT_NE(v412.text.find("\r\nC0100000N00200000ETP01   :TP 1\r\n"), std::string::npos);
    EXPECT_NE(v412.text.find("\r\nC0000000N00000000ETakeoff:\r\n"), std::string::npos);
    // The declared flight date comes from the declaration time in the longitude's zone.
    EXPECT_NE(v412.text.find("\r\nC071009085500071009000101\r\n"), std::string::npos);

    const Conversion v420 = convert(data, 420);
    EXPECT_NE(v420.text.find("HFTZNTIMEZONE:UTC+01:00\r\n"), std::string::npos);
    EXPECT_EQ(linesStartingWith(v420.text, 'B')[1], "B0905055230100N01314800EA0002000020100800");
}

TEST(VolksloggerConversion, CenturyOfTwoDigitYearsDependsOnTheVersion) {
    VolksloggerStreamWriter w;
    w.start(1);
    w.date(0, 0, 2000, 2, 29);
    EXPECT_NE(convert(w.bytes(), 424).text.find("HFDTE290200"), std::string::npos);
    EXPECT_NE(convert(w.bytes(), 423).text.find("HFDTE010300"), std::string::npos);  // 1900
}

TEST(VolksloggerConversion, TaskNeedsAStartPointBeforeVersion414) {
    VolksloggerFlight f = exampleFlight();
    f.task->start = point("NOWHRE", 0, 0);
    const Bytes data = sim::encodeFlight(f);
    EXPECT_TRUE(linesStartingWith(convert(data, 413).text, 'C').empty());
    EXPECT_EQ(linesStartingWith(convert(data, 414).text, 'C').size(), 6u);
}

TEST(VolksloggerConversion, VersionZeroStreams) {
    VolksloggerStreamWriter w;
    w.start(0);
    w.data(80, Bytes{0x00, 0x01, 100, 0x40, 0x40, 0, 10});
    w.date(0, 3600, 2005, 7, 14);
    sim::VolksloggerFix fix;
    fix.latitude = 60000;
    fix.pressure = 3764;
    w.fullFix(1, fix);  // 11 bytes: engine noise 0
    const std::size_t differential = w.bytes().size() + 11;
    w.fullFix(1, fix);
    w.differentialFix(1, fix, 5, 5);  // not defined in version 0: the conversion ends here
    w.fullFix(1, fix);
    const Conversion c = convert(w.bytes());
    const auto fixes = linesStartingWith(c.text, 'B');
    ASSERT_EQ(fixes.size(), 2u);
    EXPECT_EQ(fixes[1], "B0100020100000N00000000EA0002000000000000");
    EXPECT_EQ(c.covered, static_cast<long>(differential));
    EXPECT_EQ(c.endOffset, -1);
}

TEST(VolksloggerConversion, StreamsWithoutDateOrWithUnknownFormat) {
    VolksloggerStreamWriter noDate;
    noDate.start(1);
    noDate.fullFix(90, sim::VolksloggerFix{});
    const Conversion c = convert(noDate.bytes());
    EXPECT_NE(c.text.find("HFDTE010170\r\n"), std::string::npos);
    EXPECT_EQ(linesStartingWith(c.text, 'B')[0].substr(0, 7), "B000130");

    VolksloggerStreamWriter newer;
    newer.start(2);
    const Conversion rejected = convert(newer.bytes());
    EXPECT_EQ(rejected.covered, 0);
    EXPECT_EQ(rejected.text, "");

    // A refused download leaves the buffer at 0xFF: the end mark comes first.
    const Conversion empty = convert(Bytes(100, 0xFF));
    EXPECT_EQ(empty.covered, 0);
    EXPECT_NE(empty.text.find("HFFXA\r\n"), std::string::npos);
    EXPECT_NE(empty.text.find("HFDTMGPSDATUM:WGS84\r\n"), std::string::npos);
    EXPECT_TRUE(linesStartingWith(empty.text, 'B').empty());
}

TEST(VolksloggerConversion, StreamCutAnywhereEndsWithinTheData) {
    const Bytes data = sim::encodeFlight(exampleFlight());
    std::size_t previousFixes = 0;
    for (std::size_t cut = 0; cut <= data.size(); ++cut) {
        const Bytes part(data.begin(), data.begin() + static_cast<long>(cut));
        const Conversion c = convert(part);
        EXPECT_LE(c.covered, static_cast<long>(cut));
        const std::size_t fixes = linesStartingWith(c.text, 'B').size();
        EXPECT_GE(fixes, previousFixes) << cut;
        previousFixes = fixes;
    }
    EXPECT_EQ(previousFixes, 3u);
}

TEST(VolksloggerConversion, AltitudeAndEngineNoiseHelpers) {
    EXPECT_EQ(pressure2altitude(3764), 20);
    EXPECT_EQ(pressure2altitude(3000), 1892);
    EXPECT_EQ(pressure2altitude(500), 14310);
    EXPECT_EQ(pressure2altitude(0), 0);
    EXPECT_GT(pressure2altitude(1), 14310);
    EXPECT_EQ(enlflt(800), 825);
    EXPECT_EQ(enlflt(600), 450);
    EXPECT_EQ(enlflt(40), 20);
    EXPECT_EQ(enllim(1020), 999);
    EXPECT_EQ(enllim(999), 999);
    EXPECT_EQ(hdop2fxa(3), 100u);
    EXPECT_EQ(hdop2fxa(15), 500u);
}

}  // namespace
}  // namespace kelvo::vl
