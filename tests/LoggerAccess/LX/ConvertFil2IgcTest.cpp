#include <gtest/gtest.h>

#include <sstream>

#include "../TempFolder.h"
#include "LoggerAccess/LX/LXTrackFile.h"
#include "LoggerAccess/LX/convert_fil2igc.h"
#include "sim/LX/LXNativeFlightEncoder.h"

namespace kelvo {
namespace {

using sim::LXNativeFlightEncoder;

std::string convert(const Bytes& native) {
    LXTrackFile file(native);
    file.translateToIGC();
    return file.igcData();
}

std::vector<std::string> lines(const std::string& igc) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = igc.find("\r\n", start)) != std::string::npos; start = end + 2) {
        result.push_back(igc.substr(start, end - start));
    }
    EXPECT_EQ(start, igc.size()) << "output does not end with CR LF";
    return result;
}

std::vector<std::string> convertLines(const Bytes& native) {
    return lines(convert(native));
}

sim::LXFlightInformation information(std::uint8_t classCode) {
    return {"Hans", "LS8", "D-1234", "XY", classCode, 100, 25, "uBlox"};
}

sim::LXNativeTask fourPointTask() {
    sim::LXNativeTask task{47109, 7, 10, 9, 0, 0, 0, 1, 2, {}};
    task.slots = {{3, "HOME", 2850000, 495000},   {1, "START", 2851000, 496000},
                  {1, "TP1", -30, -1200},         {1, "TURNPOINT2", 2852000, 497000},
                  {1, "FINISH", 2853000, 498000}, {2, "HOME", 2850000, 495000}};
    return task;
}

TEST(ConvertFil2Igc, WritesCompleteFlightLineByLine) {
    const Bytes unknownData(45, 0xAB);
    LXNativeFlightEncoder flight;
    flight.text("HFXYZ")
        .versions(12, 25)
        .flightNumber(3)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation(information(2))
        .task(fourPointTask())
        .bExtensionMask(0x2001)
        .kExtensionMask(0x0001)
        .origin(36000, 2850010, 495000)
        .event("PEV")
        .fix(36005, 2850020, 494980, 500, 520)
        .bExtensionValues({12, 345})
        .kExtensionValues(3, {7})
        .filler(2)
        .fix(36006, 2850030, 494990, -12, 521, false)
        .bExtensionValues({13, 346})
        .security(0x0D, Bytes{0xAB, 0xCD})
        .security(0x0F, Bytes{0x01})
        .security(0x42, Bytes{0x01})
        .securityText("ABCDEFGHIJKLMNOPQRSTUVWXYZ")
        .unknown(0x90, unknownData)
        .end()
        .text("AFTEREND");
    const std::string hex20 = "ABABABABABABABABABABABABABABABABABABABAB";
    EXPECT_EQ(convertLines(flight.secureBytes()), (std::vector<std::string>{
                                                      "HFXYZ",
                                                      "HFRFWFIRMWAREVERSION:2.5",
                                                      "HFRHWHARDWAREVERSION:1.2",
                                                      "ALXNAVNANOFLIGHT:3",
                                                      "HFDTE071009",
                                                      "HFFXA025",
                                                      "HFPLTPILOT:Hans",
                                                      "HFGTYGLIDERTYPE:LS8",
                                                      "HFGIDGLIDERID:D-1234",
                                                      "HFDTM100GPSDATUM:WGS-1984       ",
                                                      "HFCIDCOMPETITIONID:XY",
                                                      "HFCCLCOMPETITIONCLASS:OPEN",
                                                      "HFGPSGPS:uBlox",
                                                      "C071009130509000000000102",
                                                      "C4730000N00815000EHOME",
                                                      "C4731000N00816000ESTART",
                                                      "C0000030S00001200WTP1",
                                                      "C4732000N00817000ETURNPOIN",
                                                      "C4733000N00818000EFINISH",
                                                      "C4730000N00815000EHOME",
                                                      "I023638FXA3941ENL",
                                                      "J010810FXA",
                                                      "LLXNORIGIN1000004730010N00815000E",
                                                      "E100005PEV",
                                                      "B1000054730020N00814980EA0050000520012345",
                                                      "K100008007",
                                                      "LLXNEMPTY2",
                                                      "B1000064730030N00814990EV-001200521013346",
                                                      "G0ABCD",
                                                      "G201",
                                                      "GABCDEFGHIJKLMNOPQRSTUV",
                                                      "LLXNUNKNOWN90" + hex20.substr(0, 38),
                                                      "LLXNUNKNOWN" + hex20,
                                                      "LLXNUNKNOWN" + hex20.substr(0, 12),
                                                  }));
}

TEST(ConvertFil2Igc, NamedClassIsWrittenWithItsClassNameRecord) {
    LXNativeFlightEncoder flight;
    flight.flightInformation(information(7)).text("HX").className("Club").end();
    const auto output = convertLines(flight.bytes());
    ASSERT_EQ(output.size(), 9u);
    EXPECT_EQ(output[0], "HX");
    EXPECT_EQ(output[1], "HFFXA025");
    EXPECT_EQ(output[7], "HFCCLCOMPETITIONCLASS:Club");
    LXNativeFlightEncoder withoutInformation;
    withoutInformation.className("Club").end();
    EXPECT_EQ(convert(withoutInformation.bytes()), "");
}

// The class line and the datum line of a flight-information record.
std::pair<std::string, std::string> classAndDatum(std::uint8_t classCode, std::uint8_t datum) {
    auto info = information(classCode);
    info.gpsDatum = datum;
    LXNativeFlightEncoder flight;
    flight.flightInformation(info).end();
    const auto output = convertLines(flight.bytes());
    return output.size() == 8 ? std::pair{output[6], output[4]} : std::pair{"", ""};
}

TEST(ConvertFil2Igc, ClassCodesAndDatumCodesHaveTheirNames) {
    const char* classes[] = {"STANDARD", "15-METER", "OPEN",    "18-METER",
                             "WORLD",    "DOUBLE",   "MOTOR_GL"};
    for (std::uint8_t code = 0; code < 7; ++code) {
        EXPECT_EQ(classAndDatum(code, 0).first,
                  std::string("HFCCLCOMPETITIONCLASS:") + classes[code]);
    }
    EXPECT_EQ(classAndDatum(0, 0).second, "HFDTM000GPSDATUM:ADINDAN        ");
    EXPECT_EQ(classAndDatum(0, 83).second, "HFDTM083GPSDATUM:S.AMERICA  1956");
    EXPECT_EQ(classAndDatum(0, 84).second, "HFDTM084GPSDATUM:S.AMERICA  1956");
    EXPECT_EQ(classAndDatum(0, 85).second, "HFDTM085GPSDATUM:SOUTH ASIA     ");
    EXPECT_EQ(classAndDatum(0, 102).second, "HFDTM102GPSDATUM:CH-1903        ");
    EXPECT_EQ(classAndDatum(0, 103).second, "HFDTM103GPSDATUM:UNKNOWN");
    EXPECT_EQ(classAndDatum(0, 255).second, "HFDTM255GPSDATUM:UNKNOWN");
}

TEST(ConvertFil2Igc, WithoutExtensionsFixLinesEndOnTheirOwn) {
    LXNativeFlightEncoder flight;
    flight.bExtensionMask(0).kExtensionMask(0).origin(0, 0, 0).fix(45296, -30, 30, 1, 2);
    EXPECT_EQ(convertLines(flight.bytes()),
              (std::vector<std::string>{"LLXNORIGIN0000000000000N00000000E",
                                        "B1234560000030S00000030EA0000100002"}));
}

TEST(ConvertFil2Igc, FixWithoutItsExtensionValuesIsClosedBeforeTheNextRecord) {
    LXNativeFlightEncoder flight;
    flight.bExtensionMask(0x0001).origin(0, 0, 0).fix(1, 0, 0, 0, 0).text("HX");
    EXPECT_EQ(convertLines(flight.bytes()),
              (std::vector<std::string>{"I013638FXA", "LLXNORIGIN0000000000000N00000000E",
                                        "B0000010000000N00000000EA0000000000", "HX"}));
}

TEST(ConvertFil2Igc, RecordsCutShortNeverReadPastTheInput) {
    LXNativeFlightEncoder textWithoutEnd;
    textWithoutEnd.recorderIdentification("ABCDEFGHI").raw(Bytes{0xF4, 'E', 'V'});
    EXPECT_EQ(convertLines(textWithoutEnd.bytes()),
              (std::vector<std::string>{"AABCDEFGHIFLIGHT:0", "HFDTE000000"}));

    LXNativeFlightEncoder shortFix;
    shortFix.origin(3600, 0, 0).raw(Bytes{0xBF, 0x00, 0x05});
    EXPECT_EQ(convertLines(shortFix.bytes()).back(), "B0100050000000N00000000EA0000000000");

    Bytes security = {0xF0, 200, 0x0E};
    security.resize(3 + 64, 0x11);
    EXPECT_EQ(convertLines(security), std::vector<std::string>{"G1" + std::string(128, '1')});

    LXNativeFlightEncoder unknownPastEnd;
    unknownPastEnd.unknown(0x91, Bytes(10, 0x22));
    Bytes table = unknownPastEnd.secureBytes();
    table.erase(table.begin() + 1, table.begin() + 11);  // the record's data is gone
    const auto output = convertLines(table);
    ASSERT_FALSE(output.empty());
    EXPECT_TRUE(output.front().starts_with("LLXNUNKNOWN91"));
}

TEST(ConvertFil2Igc, UnknownTagWithoutLengthTableHasNoData) {
    EXPECT_EQ(convertLines(Bytes{0x91, 0x40}), std::vector<std::string>{"LLXNUNKNOWN91"});
}

TEST(ConvertFil2Igc, ReportsProgressBeforeEachRecord) {
    LXNativeFlightEncoder flight;
    flight.text("A").filler(1).text("B").end();
    std::vector<std::size_t> positions;
    std::istringstream input(std::string(flight.bytes().begin(), flight.bytes().end()));
    std::ostringstream output;
    convert_fil2igc(input, output, [&](std::size_t at) { positions.push_back(at); });
    EXPECT_EQ(positions, (std::vector<std::size_t>{0, 2, 4}));
    EXPECT_EQ(output.str(), "A\r\nLLXNEMPTY1\r\nB\r\n");
}

// Complete: the recorder named and the end record reached. What follows the end record (the
// record-length table of a secure download, the rest of the recorder's memory) is no part
// of the flight.
TEST(ConvertFil2Igc, TellsCompleteFlightsFromCutOrForeignData) {
    LXNativeFlightEncoder flight;
    flight.recorderIdentification("LXNAVNANO").origin(36000, 0, 0);
    flight.fix(36000, 0, 0, 500, 510, true).end();
    const Bytes whole = flight.bytes();
    const std::string igc = convert(whole);
    Bytes secure = whole;
    secure.resize(whole.size() + 256, 0x01);
    Bytes memoryAfterEnd = whole;
    memoryAfterEnd.resize(whole.size() + 4096, 0xFF);
    for (const Bytes& native : {whole, secure, memoryAfterEnd}) {
        const NativeConversion conversion = LXTrackFile::convert(native);
        EXPECT_TRUE(conversion.complete()) << native.size() << ": " << conversion.incomplete;
        EXPECT_EQ(conversion.igc, igc) << native.size();
    }

    const Bytes cutInsideFix(whole.begin(), whole.end() - 4);
    const Bytes withoutEnd(whole.begin(), whole.end() - 1);
    const Bytes fillerToTheEnd{0x00, 0x00};
    LXNativeFlightEncoder unnamed;
    unnamed.text("HFXYZ").end();
    LXNativeFlightEncoder namedAfterItsFix;
    namedAfterItsFix.origin(36000, 0, 0).fix(36000, 0, 0, 500, 510, true);
    namedAfterItsFix.recorderIdentification("LXNAVNANO").end();
    for (const Bytes& native :
         {cutInsideFix, withoutEnd, fillerToTheEnd, unnamed.bytes(), namedAfterItsFix.bytes()}) {
        LXTrackFile file(native);
        EXPECT_FALSE(file.translateToIGC().incomplete.empty()) << native.size();
    }
}

TEST(LXTrackFile, WritesIgcFileAndRefusesEmptyText) {
    const TempFolder folder;
    LXNativeFlightEncoder flight;
    flight.text("HFXYZ").end();
    EXPECT_TRUE(LXTrackFile::convertNativeData(flight.bytes(), folder.path() / "a.IGC"));
    EXPECT_EQ(readText(folder.path() / "a.IGC"), "HFXYZ\r\n");
    EXPECT_FALSE(LXTrackFile::convertNativeData(Bytes{0x40}, folder.path() / "b.IGC"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "b.IGC"));
}

}  // namespace
}  // namespace kelvo
