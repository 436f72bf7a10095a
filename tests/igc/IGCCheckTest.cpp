#include "igc/IGCCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "base/Format.h"

namespace kelvo {
namespace {

using Lines = std::vector<std::string>;

}  // namespace

void PrintTo(const IGCProblem& problem, std::ostream* out) {
    *out << problem.text();
}

namespace {

// A file as real recorders write them: extensions in the B and K records, a declaration
// of two turnpoints, fixes across midnight, events, comments and a long G block.
Lines realWorldShapedFile() {
    Lines lines{
        "AXKV5F2FLIGHT:1",
        "HFDTEDATE:150708,01",
        "HFPLTPILOTINCHARGE:Jane Doe",
        "I033638FXA3940SIU4143ENL",
        "J010812HDT",
        "C150708105512150708000102Lakes 300 km",
        "C5206343N00006198WTAKEOFF Home",
        "C5206343N00006198WSTART Home",
        "C5230000N00130000ETP1 North Lake",
        "C5200000N00200000ETP2 East Hill",
        "C5206343N00006198WFINISH Home",
        "C5206343N00006198WLANDING Home",
        "LKLVTASK DECLARED ON GROUND",
        "B2359585206343N00006198WA005870055803509012",
        "E235959PEV",
        "B2359595206400N00006100WA005900057003509010",
        "K00000000010",
        "B0000005260000N00006000WV005950000003509010",
        "B0000015207000N00005000WA-00120065003509015",
    };
    for (int i = 0; i < 1000; ++i)
        lines.push_back("GA1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F6071");
    return lines;
}

std::string join(const Lines& lines, std::string_view end) {
    std::string text;
    for (const auto& line : lines) text += line + std::string(end);
    return text;
}

TEST(IGCCheck, AcceptsRealWorldShapedFilesWithEitherLineEnd) {
    EXPECT_EQ(IGCCheck::checkText(join(realWorldShapedFile(), "\r\n")), std::vector<IGCProblem>{});
    EXPECT_EQ(IGCCheck::checkText(join(realWorldShapedFile(), "\n")), std::vector<IGCProblem>{});
}

struct Breakage {
    const char* what;
    std::function<void(Lines&)> breakFile;
    std::size_t line;
    std::string reason;
};

TEST(IGCCheck, FindsEachProblemOnItsLine) {
    const std::vector<Breakage> breakages{
        {"no A record first", [](Lines& l) { std::swap(l[0], l[1]); }, 1,
         "the file does not begin with an A record"},
        {"date after the first fix",
         [](Lines& l) {
             l.insert(l.begin() + 19, l[1]);
             l.erase(l.begin() + 1);
         },
         13, "B record before the HFDTE date"},
        {"invalid date", [](Lines& l) { l[1] = "HFDTE320708"; }, 2,
         "the HFDTE date is not a valid DDMMYY date"},
        {"I record after a fix", [](Lines& l) { l.insert(l.begin() + 15, l[3]); }, 16,
         "I record after the first B record"},
        {"J record after a K record", [](Lines& l) { l.insert(l.begin() + 17, l[4]); }, 18,
         "J record after the first K record"},
        {"malformed I record", [](Lines& l) { l[3] = "I033638FXA3940SIU4243ENL"; }, 4,
         "I record is malformed"},
        {"fix shorter than announced", [](Lines& l) { l[15].pop_back(); }, 16,
         "B record is 42 characters long, the I record announces 43"},
        {"K shorter than announced", [](Lines& l) { l[16].pop_back(); }, 17,
         "K record is 11 characters long, the J record announces 12"},
        {"fix time invalid", [](Lines& l) { l[13][3] = '6'; }, 14,
         "B record time is not a valid HHMMSS time"},
        {"time goes back", [](Lines& l) { std::swap(l[17], l[18]); }, 19,
         "B record time goes back from 00:00:01 to 00:00:00"},
        {"second step back over midnight",
         [](Lines& l) {
             l.insert(l.begin() + 19, {l[18], l[18]});
             l[19].replace(1, 6, "130001");
             l[20].replace(1, 6, "000002");
         },
         21, "B record time goes back from 13:00:01 to 00:00:02"},
        {"latitude", [](Lines& l) { l[13].replace(7, 8, "9106343N"); }, 14,
         "B record latitude is not valid"},
        {"longitude", [](Lines& l) { l[13][23] = 'X'; }, 14, "B record longitude is not valid"},
        {"validity", [](Lines& l) { l[13][24] = 'X'; }, 14, "B record validity is neither A nor V"},
        {"pressure altitude", [](Lines& l) { l[13][26] = ' '; }, 14,
         "B record pressure altitude is not valid"},
        {"GNSS altitude", [](Lines& l) { l[13][31] = '-'; }, 14,
         "B record GNSS altitude is not valid"},
        {"declaration cut short", [](Lines& l) { l.erase(l.begin() + 9); }, 6,
         "the declaration announces 6 C points, 5 follow"},
        {"second C block", [](Lines& l) { l.insert(l.begin() + 12, l[11]); }, 13,
         "C record outside the declaration block"},
        {"C point without coordinates", [](Lines& l) { l[8] = "CTP1 North Lake"; }, 9,
         "C record point has no valid coordinates"},
        {"long line", [](Lines& l) { l[2] += std::string(60, 'x'); }, 3,
         "line is 87 characters long, at most 76 are allowed"},
        {"CR alone", [](Lines& l) { l[2] += "\rHFFXA035"; }, 3,
         "line ends in CR alone; IGC lines end in CR LF"},
        {"record after the G block", [](Lines& l) { l.push_back("LKLVAFTER"); }, 1020,
         "only G records may follow the first G record"},
        {"unknown record", [](Lines& l) { l[12] = "XKLV"; }, 13, "unknown record type 'X'"},
    };
    for (const Breakage& breakage : breakages) {
        Lines lines = realWorldShapedFile();
        breakage.breakFile(lines);
        EXPECT_EQ(IGCCheck::checkText(join(lines, "\r\n")),
                  (std::vector<IGCProblem>{{breakage.line, breakage.reason}}))
            << breakage.what;
    }
}

// Current recorders announce many extensions (an I record of 94 characters) and write long
// comments: the line limit is not theirs.
TEST(IGCCheck, AcceptsLongIAndLRecordsOfCurrentRecorders) {
    Lines lines = realWorldShapedFile();
    for (int k = 0; k < 10; ++k) lines[3] += stringf("%02d%02dX%02d", 44 + k, 44 + k, k);
    lines[3].replace(1, 2, "13");
    ASSERT_EQ(lines[3].size(), 94u);
    for (auto& line : lines) {
        if (line.starts_with("B")) line += "0123456789";
    }
    lines.insert(lines.begin() + 12, "LXCSPILOT REMARKS: " + std::string(100, 'x'));
    EXPECT_EQ(IGCCheck::checkText(join(lines, "\r\n")), std::vector<IGCProblem>{});
}

TEST(IGCCheck, StopsListingAfterTheLimitAndRefusesWhatIsNoFile) {
    Lines lines = realWorldShapedFile();
    lines.insert(lines.begin() + 19, 100, "B99");
    const auto problems = IGCCheck::checkText(join(lines, "\n"));
    ASSERT_EQ(problems.size(), IGCCheck::kMaxProblems);
    EXPECT_EQ(problems.back().reason, "further problems are not listed");

    EXPECT_EQ(IGCCheck::checkText(""), (std::vector<IGCProblem>{{0, "the file is empty"}}));
    EXPECT_EQ(IGCCheck::checkFile(std::filesystem::temp_directory_path()).at(0).text(),
              "not a readable file");
}

}  // namespace
}  // namespace kelvo
