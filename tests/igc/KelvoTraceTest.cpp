#include "igc/KelvoTrace.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/UtcDate.h"

namespace kelvo {
namespace {

using namespace std::chrono;

const std::filesystem::path kDataDir = std::filesystem::path(KELVO_TEST_DATA_DIR) / "igc";

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

KelvoTrace traceOf(std::string_view text) {
    return KelvoTrace(bytesOf(text), "test.igc");
}

Bytes fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> fixTimes(const KelvoTrace& trace) {
    std::vector<std::string> times;
    for (const TracePosition& fix : trace.points()) times.push_back(isoUtc(fix.timeStamp()));
    return times;
}

std::vector<std::string> waypointNames(const KelvoTrace& trace) {
    std::vector<std::string> names;
    for (const auto& waypoint : trace.waypoints()) names.push_back(waypoint->name());
    return names;
}

TEST(KelvoTrace, KeysHeaderRecordsByTheirThreeLetterCode) {
    const KelvoTrace trace = traceOf(
        "HFGTYGLIDERTYPE:LS8\nHFDTE150708\nHFPLTPILOT:J\xe9r\xf4me\nHFGTYGLIDERTYPE:ASW 20\n"
        "HF\xe9\xe9\xe9X\n");
    EXPECT_EQ(trace.header(), (std::map<std::string, std::string>{
                                  {"DTE", "150708"},
                                  {"GTY", "GLIDERTYPE:ASW 20"},       // the later line wins
                                  {"PLT", "PILOT:J\u00e9r\u00f4me"},  // from Windows-1252
                                  {"\u00e9\u00e9\u00e9", "X"}}));     // counted in characters
    ASSERT_TRUE(trace.dateOfFlight());
    EXPECT_EQ(isoUtc(*trace.dateOfFlight()), "2008-07-15T00:00:00Z");
}

TEST(KelvoTrace, SkipsHeaderLinesTooShortAndKeepsDateLinesWithoutARealDate) {
    EXPECT_TRUE(traceOf("HFDTE1507\nHFDTEDATE:1507\nHFGT\nH\n").header().empty());
    const KelvoTrace trace = traceOf("HFDTE311308\nHFDTEXX0708\n");
    EXPECT_FALSE(trace.dateOfFlight());
    EXPECT_EQ(trace.header().at("DTE"), "XX0708");
}

TEST(KelvoTrace, CompletesTwoDigitYearsUpToTwoYearsAhead) {
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(28, 2026), 2028);
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(29, 2026), 1929);
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(0, 2026), 2000);
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(99, 2026), 1999);
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear(0, 2098), 2100);

    const int now = utcFields(floor<seconds>(system_clock::now())).year;
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear((now + 2) % 100), now + 2);
    EXPECT_EQ(KelvoTrace::prependLikelyCenturyBeforeTwoDigitYear((now + 3) % 100), now + 3 - 100);
}

TEST(KelvoTrace, TakesTaskPointsByTheirLayout) {
    const KelvoTrace trace = traceOf(
        "C150708105512150708000104\n"           // declaration, 25 characters
        "C150708105512150708000104Lakes 300\n"  // declaration followed by the task's name
        "C0000000N00000000ETAKEOFF\n"           // a point, although 25 characters long
        "C0000000N00000000E\n"                  // no point
        "C5206343N00006198WSTART Home\n"
        "C5206343N0000619\n"  // cut short
        "C4330000S17200000EOmarama\n");
    EXPECT_EQ(waypointNames(trace), (std::vector<std::string>{"TAKEOFF", "START Home", "Omarama"}));

    EXPECT_EQ(trace.waypoints()[0]->latitudeDegrees(), 0);
    EXPECT_EQ(trace.waypoints()[0]->longitudeDegrees(), 0);
    EXPECT_NEAR(trace.waypoints()[1]->latitudeDegrees(), 52 + 6.343 / 60, 1e-9);
    EXPECT_NEAR(trace.waypoints()[2]->longitudeDegrees(), 172, 1e-9);
}

TEST(KelvoTrace, DatesFixesBeforeTheDateLineByTheFilesDateOrElseOn1January1970) {
    const KelvoTrace trace = traceOf(
        "B1101355206343N00006198WA0058700558\n"
        "HFDTE150708\n"
        "B1101455206343N00006198WA0058700558\n");
    EXPECT_EQ(fixTimes(trace),
              (std::vector<std::string>{"2008-07-15T11:01:35Z", "2008-07-15T11:01:45Z"}));

    const KelvoTrace undated = traceOf("B1101355206343N00006198WA0058700558\n");
    EXPECT_FALSE(undated.dateOfFlight());
    EXPECT_EQ(fixTimes(undated), (std::vector<std::string>{"1970-01-01T11:01:35Z"}));
}

TEST(KelvoTrace, AddsEveryNewDataToWhatItHoldsWhateverItsLineEnds) {
    KelvoTrace trace = traceOf("HFDTE150708\rB1101355206343N00006198WA0058700558\r\n\n");
    const Bytes second = bytesOf(
        "HFDTE160708\nB0901355206343N00006198WA0058700558\rB0901455206343N00006198WA0058700558");
    trace.setIGCData(second);
    EXPECT_EQ(trace.igcData(), second);
    EXPECT_EQ(fixTimes(trace),
              (std::vector<std::string>{"2008-07-15T11:01:35Z", "2008-07-16T09:01:35Z",
                                        "2008-07-16T09:01:45Z"}));
}

TEST(KelvoTraceFile, ReadsARecordersFlightWithTaskAndExtensions) {
    const std::filesystem::path path = kDataDir / "lakes-task-crlf.igc";
    const KelvoTrace trace = KelvoTrace::fromIGCFile(path);

    EXPECT_EQ(trace.fileName(), "lakes-task-crlf.igc");
    EXPECT_EQ(trace.igcData(), fileBytes(path));
    EXPECT_EQ(isoUtc(*trace.dateOfFlight()), "2008-07-15T00:00:00Z");
    EXPECT_EQ(trace.header().size(), 15u);
    EXPECT_EQ(trace.header().at("PLT"), "PILOTINCHARGE:Jane Doe");
    EXPECT_EQ(trace.header().at("DTE"), "DATE:150708,01");  // date line of current recorders

    EXPECT_EQ(waypointNames(trace),
              (std::vector<std::string>{"TAKEOFF Home", "START Home", "TP1 North Lake",
                                        "TP2 East Hill", "FINISH Home", "LANDING Home"}));

    EXPECT_EQ(fixTimes(trace),
              (std::vector<std::string>{"2008-07-15T11:01:35Z", "2008-07-15T11:01:45Z",
                                        "2008-07-15T11:01:55Z", "2008-07-15T11:02:05Z",
                                        "2008-07-15T11:02:15Z"}));
    const auto& points = trace.points();
    EXPECT_DOUBLE_EQ(points[0].position().elevation(), 558);
    EXPECT_DOUBLE_EQ(points[2].position().elevation(), 0);  // "V" fix
    EXPECT_DOUBLE_EQ(points[4].absoluteVarioIndicationFromPosition(points[3]), 5.0);

    EXPECT_NEAR(trace.getExtremeNorthernLatitude(), 52 + 7.0 / 60, 1e-9);
    EXPECT_NEAR(trace.getExtremeSouthernLatitude(), 52 + 6.343 / 60, 1e-9);
    EXPECT_NEAR(trace.getExtremeWesternLongitude(), -6.198 / 60, 1e-9);
    EXPECT_NEAR(trace.getExtremeEasternLongitude(), -5.0 / 60, 1e-9);
}

TEST(KelvoTraceFile, DatesFixesAfterMidnightUtcOnTheNextDay) {
    const KelvoTrace trace = KelvoTrace::fromIGCFile(kDataDir / "midnight-south-lf.igc");

    EXPECT_EQ(isoUtc(*trace.dateOfFlight()), "2026-12-31T00:00:00Z");
    EXPECT_EQ(fixTimes(trace),
              (std::vector<std::string>{"2026-12-31T23:59:58Z", "2026-12-31T23:59:59Z",
                                        "2027-01-01T00:00:00Z", "2027-01-01T00:00:01Z",
                                        "2027-01-01T00:00:11Z"}));
    const auto& points = trace.points();
    EXPECT_DOUBLE_EQ(points[2].absoluteVarioIndicationFromPosition(points[1]), 1.0);
    EXPECT_DOUBLE_EQ(points[4].absoluteVarioIndicationFromPosition(points[3]), -0.5);

    EXPECT_EQ(waypointNames(trace),
              (std::vector<std::string>{"TAKEOFF", "Omarama", "TP Lake", "Omarama"}));
}

TEST(KelvoTrace, KeepsSmallStepsBackOnTheirDayAndSkipsImpossibleFixes) {
    const KelvoTrace trace = traceOf(
        "HFDTE150709\n"
        "B1200004807450N00845800EA0050000600\n"
        "B1200014807450N00845800EA0050000600\n"
        "B1200004807450N00845800EA0050000600\n"   // repeated: not a new day
        "B1200024807450N00845800EA0050000600\n"
        "B1200039940200N00845800EA0050000600\n"   // latitude 99.67
        "B1200044807450N18140200WA0050000600\n"   // longitude 181.67
        "B9999994807450N00845800EA0050000600\n"   // 99:99:99
        "B1200054807450N00845800EA00500\n");      // cut short
    EXPECT_EQ(fixTimes(trace),
              (std::vector<std::string>{"2009-07-15T12:00:00Z", "2009-07-15T12:00:01Z",
                                        "2009-07-15T12:00:00Z", "2009-07-15T12:00:02Z"}));
    EXPECT_EQ(trace.skippedFixes(), 4u);
}

TEST(KelvoTraceFile, UnreadableFileGivesAnEmptyTraceWithItsName) {
    const KelvoTrace trace = KelvoTrace::fromIGCFile(kDataDir / "no-such-flight.igc");
    EXPECT_EQ(trace.fileName(), "no-such-flight.igc");
    EXPECT_TRUE(trace.points().empty());
}

// Recorder files are untrusted: cut and garbled lines must never be read past their end
// (the sanitizer build runs these).
TEST(KelvoTraceRobustness, SurvivesEveryTruncationOfARealFile) {
    const Bytes data = fileBytes(kDataDir / "lakes-task-crlf.igc");
    for (std::size_t length = 0; length <= data.size(); ++length) {
        const KelvoTrace trace(Bytes(data.begin(), data.begin() + length), "cut.igc");
        EXPECT_LE(trace.points().size(), 5u);
    }
}

}  // namespace
}  // namespace kelvo
