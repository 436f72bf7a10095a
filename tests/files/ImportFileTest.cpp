#include "files/ImportFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "LoggerAccess/LX/LXTurnpoint.h"
#include "LoggerAccess/LoggerData.h"
#include "base/Log.h"
#include "files/AsciiText.h"
#include "files/CUPFile.h"
#include "files/DA4File.h"
#include "files/DBTFile.h"
#include "files/FileFactory.h"
#include "geo/Waypoint.h"

namespace kelvo {
namespace {

using Lines = std::vector<std::string>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Lines linesOf(std::string_view text) {
    return ImportFile::separateStringIntoArrayOfLines(text);
}

TEST(ImportFile, SplitsLinesAtEveryKindOfLineEnd) {
    EXPECT_EQ(linesOf("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(linesOf("a\rb\nc\r\nd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\u0085b\u2028c\u2029"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(linesOf("\r\r\n"), (Lines{"", ""}));
    EXPECT_TRUE(linesOf("").empty());
    // These share their first byte with a line end but are none.
    EXPECT_EQ(linesOf("\u00A0x\u2013y\n"), (Lines{"\u00A0x\u2013y"}));
}

TEST(ImportFile, DecodesUtf8OnlyWhenValidAndWindows1252Always) {
    const Bytes utf8 = bytesOf("\uFEFFK\u00F6ln");
    const Bytes latin = bytesOf("K\xF6ln");
    EXPECT_EQ(ImportFile::makeStringFromData(utf8, TextEncoding::Utf8), "K\u00F6ln");
    EXPECT_EQ(ImportFile::makeStringFromData(latin, TextEncoding::Utf8), std::nullopt);
    EXPECT_EQ(ImportFile::makeStringFromData(latin, TextEncoding::Windows1252), "K\u00F6ln");
    EXPECT_EQ(ImportFile::decodeText(utf8), "K\u00F6ln");
    EXPECT_EQ(ImportFile::decodeText(latin), "K\u00F6ln");
    EXPECT_TRUE(ImportFile::separateDataIntoArrayOfLines(latin, TextEncoding::Utf8).empty());
}

// A format that records what the base hands it.
class RecordingFormat : public ImportFile {
  public:
    static std::optional<std::string> getFileExtension() { return "rec"; }
    static std::optional<std::string> getFileDescription() { return std::nullopt; }
    void parseData(ByteSpan bytes, LoggerData&) override {
        parsed = Bytes(bytes.begin(), bytes.end());
    }
    std::optional<Bytes> makeDataFromLoggerData(const LoggerData*) override {
        return bytesOf("out");
    }
    bool canExportInfo() const override { return true; }
    std::optional<Bytes> parsed;
};

TEST(ImportFile, ParsesReadableFilesOnlyAndWritesAtomically) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kelvo-import-file-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    RecordingFormat format;
    LoggerData data;
    EXPECT_NE(format.parseFile(folder / "missing.rec", data), "");
    EXPECT_EQ(format.parseFile(folder, data), folder.string() +
                                                  ": not a regular file (a folder, a device or a pipe)");
    EXPECT_FALSE(format.parsed);

    EXPECT_TRUE(format.makeFile(folder / "a.rec", nullptr));
    // This format yields no waypoint, which is a failure that names the file.
    EXPECT_EQ(format.parseFile(folder / "a.rec", data),
              (folder / "a.rec").string() + ": no waypoint found in the file");
    EXPECT_EQ(format.parsed, bytesOf("out"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);

    CapturingLogSink log;
    EXPECT_FALSE(ImportFile().makeFile(folder / "b.rec", &data));
    EXPECT_FALSE(std::filesystem::exists(folder / "b.rec"));
    EXPECT_TRUE(log.contains("Calling abstract method [ImportFile makeDataFromWaypoints]"));
    std::filesystem::remove_all(folder);
}

TEST(FileFactory, FindsFormatsByExtensionInAnyCaseAndReplacesSameKey) {
    FileFactory& factory = FileFactory::shared();
    factory.clearRegisteredFiles();
    factory.registerFile<RecordingFormat>();
    factory.registerFile(FileType{"TXT", "text", [] { return std::make_unique<ImportFile>(); }});
    EXPECT_EQ(factory.getRegisteredFiles(), (Lines{"REC", "TXT"}));
    const auto recording = factory.getFileInstanceWithExtension("ReC");
    EXPECT_NE(dynamic_cast<RecordingFormat*>(recording.get()), nullptr);
    EXPECT_FALSE(recording->canExport());  // logger information alone does not count
    EXPECT_NE(factory.getFileInstanceWithExtension(".rec"), nullptr);
    EXPECT_EQ(factory.getFileInstanceWithExtension("CUP"), nullptr);

    factory.registerFile(FileType{"Rec", {}, [] { return std::make_unique<ImportFile>(); }});
    EXPECT_EQ(factory.getRegisteredFiles(), (Lines{"REC", "TXT"}));
    EXPECT_EQ(dynamic_cast<RecordingFormat*>(factory.getFileInstanceWithExtension("rec").get()),
              nullptr);
    factory.clearRegisteredFiles();
}

TEST(FileFactory, RegistersTheBuiltinFormatsInOrder) {
    FileFactory& factory = FileFactory::shared();
    factory.clearRegisteredFiles();
    factory.registerBuiltinFiletypes();
    EXPECT_EQ(factory.getRegisteredFiles(), (Lines{"DBT", "DA4", "CUP"}));
    EXPECT_NE(dynamic_cast<DBTFile*>(factory.getFileInstanceWithExtension("dBt").get()), nullptr);
    const auto cup = factory.getFileInstanceWithExtension("cup");
    EXPECT_TRUE(cup->canExportWaypoints() && cup->canExportRoutes());
    EXPECT_FALSE(cup->canExportInfo() || cup->canExportDeclaration());
    const auto da4 = factory.getFileInstanceWithExtension("DA4");
    EXPECT_TRUE(da4->canExport() && !da4->canExportRoutes());
    EXPECT_EQ(DA4File::getFileDescription(), std::nullopt);
    factory.clearRegisteredFiles();
}

// A waypoint's type is its CUP style. What comes back from each format is the nearest type
// the format can hold: a Volkslogger number, an LX runway surface letter (the recorder's
// records and DA4 files alike).
TEST(WaypointTypes, EveryFormatKeepsWhatItCanHold) {
    struct Row {
        int type;
        const char* dbtField;
        int fromDbt;
        char lxSurface;
        int fromLx;
    };
    const Row rows[] = {
        {0, "X0", 1, ' ', 1},  // unknown
        {1, "X0", 1, ' ', 1},  // waypoint
        {2, "X5", 2, 'G', 2},  // grass airfield
        {3, "X1", 3, 'G', 2},  // outlanding: landable on a grass runway
        {4, "X5", 2, 'G', 2},  // gliding airfield
        {5, "X3", 5, 'C', 5},  // airfield with a solid runway
        {7, "X0", 1, ' ', 1},  // mountain top
    };
    for (const Row& row : rows) {
        auto waypoint = Waypoint::fromDegrees("ZELL", 47.29, 12.79, 750);
        waypoint->setType(row.type);
        EXPECT_EQ(CUPFile::makeWaypoint(CUPFile::createLine(*waypoint))->type(), row.type);

        const std::string dbtLine = DBTFile::createLine(*waypoint);
        EXPECT_EQ(dbtLine.substr(dbtLine.rfind(',') + 1), row.dbtField) << row.type;
        EXPECT_EQ(DBTFile::makeWaypoint(dbtLine)->type(), row.fromDbt) << row.type;

        const DA4File::Record record = DA4File::makeRecord(*waypoint);
        EXPECT_EQ(record[27], row.lxSurface) << row.type;
        EXPECT_EQ(DA4File::makeWaypoint(record)->type(), row.fromLx) << row.type;
        LXTurnpoint turnpoint;
        turnpoint.setWaypoint(*waypoint);
        EXPECT_EQ(turnpoint.bytes()[27], row.lxSurface) << row.type;
        EXPECT_EQ(turnpoint.waypoint()->type(), row.fromLx) << row.type;
    }
    for (const auto& [surface, type] : {std::pair{'g', 2}, {'c', 5}, {'X', 1}}) {
        DA4File::Record record = DA4File::makeRecord(*Waypoint::fromDegrees("A", 47, 8, 0));
        record[27] = static_cast<std::uint8_t>(surface);
        EXPECT_EQ(DA4File::makeWaypoint(record)->type(), type) << surface;
    }
}

// LX records hold a runway number (06 is 060 degrees), one for both ends of the runway; CUP
// files hold degrees.
TEST(WaypointTypes, RunwayDirectionsAreRunwayNumbersOnLXRecords) {
    const std::array<int, 3> rows[] = {
        // degrees, runway number, degrees read back
        {0, 0, 0},    {60, 6, 60},  {64, 6, 60},    {140, 14, 140}, {180, 18, 180},
        {250, 7, 70}, {270, 9, 90}, {355, 18, 180}, {-5, 0, 0},     {400, 0, 0},
    };
    for (const auto& [degrees, number, back] : rows) {
        auto waypoint = Waypoint::fromDegrees("ZELL", 47.29, 12.79, 750);
        waypoint->setRunwayDirection(degrees);
        const DA4File::Record record = DA4File::makeRecord(*waypoint);
        EXPECT_EQ(record[26], number) << degrees;
        EXPECT_EQ(DA4File::makeWaypoint(record)->runwayDirection(), back) << degrees;
        LXTurnpoint turnpoint;
        turnpoint.setWaypoint(*waypoint);
        EXPECT_EQ(turnpoint.bytes()[26], number) << degrees;
        EXPECT_EQ(turnpoint.waypoint()->runwayDirection(), back) << degrees;
        EXPECT_EQ(CUPFile::makeWaypoint(CUPFile::createLine(*waypoint))->runwayDirection(),
                  degrees);
    }
}

TEST(AsciiText, ConvertsLatinLettersToTheirBaseAndOthersToQuestionMarks) {
    EXPECT_EQ(asciiTransliteration("\u0141\u00F3d\u017A \u010C\u00E1slav \u00DF\u00FF"),
              "Lodz Caslav sy");
    EXPECT_EQ(asciiTransliteration("\u20AC1\xFF"), "?1?");  // euro sign, invalid byte
}

}  // namespace
}  // namespace kelvo
