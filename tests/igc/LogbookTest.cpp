#include "igc/Logbook.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "TriangleFlight.h"
#include "base/Format.h"
#include "base/Text.h"
#include "base/Windows1252.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using test::TriangleFlight;

constexpr int kFlights = 60;

struct GeneratedFlight {
    TriangleFlight triangle;
    std::string pilot;  // UTF-8; the file holds it in Windows-1252, the index escaped
    std::string gliderType;
    std::string registration;
    std::string competitionId;
};

// A flights folder of triangles of every size, a folder per year, flown by a few pilots in
// a few gliders, and the index of its logbook.
class LogbookFolder : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kelvo-logbook-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        for (int i = 0; i < kFlights; ++i) {
            const sys_seconds takeoff = *utcTime(2019, 3, 1, 9) + days{i * 25} + minutes{i % 240};
            GeneratedFlight generated{TriangleFlight(takeoff, 0.2 + (i % 9) * 0.1),
                                      stringf("Pil\u00f4te\\%d\t%d", i % 3, i % 7),
                                      i % 2 ? "LS8-18" : "Discus 2b",
                                      stringf("D-%04d", 1000 + i % 13), stringf("K%d", i % 5)};
            sim::DemoFlight& flight = generated.triangle.flight;
            flight.pilot = utf8ToWindows1252(generated.pilot);
            flight.gliderType = generated.gliderType;
            flight.gliderId = generated.registration;
            flight.competitionId = generated.competitionId;
            std::string name = sim::demoIgcFileName(flight, sim::DemoRecorder{});
            if (i % 3 == 0) name.replace(name.size() - 3, 3, "igc");
            const std::string file = stringf("%d/%s", utcFields(takeoff).year, name.c_str());
            fs::create_directories((folder() / file).parent_path());
            std::ofstream(folder() / file, std::ios::binary) << generated.triangle.igcFile();
            m_generated.emplace(file, std::move(generated));
        }
        std::ofstream(folder() / "notes.txt") << "not a flight";
    }

    void TearDown() override { fs::remove_all(m_root); }

    fs::path folder() const { return m_root / "flights"; }
    fs::path indexFile() const { return m_root / "cache/logbook.index"; }

    // Every listed value against the flight it came from, and the order, newest first.
    void expectTheGeneratedFlights(const std::vector<LogbookEntry>& entries) const {
        ASSERT_EQ(entries.size(), m_generated.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const LogbookEntry& entry = entries[i];
            SCOPED_TRACE(entry.file);
            ASSERT_TRUE(m_generated.contains(entry.file));
            const GeneratedFlight& generated = m_generated.at(entry.file);
            const TriangleFlight& triangle = generated.triangle;
            EXPECT_EQ(entry.date, floor<days>(triangle.takeoff));
            EXPECT_EQ(entry.takeoff, triangle.takeoff);
            EXPECT_EQ(entry.landing, triangle.landing);
            EXPECT_EQ(entry.flightTime, triangle.landing - triangle.takeoff);
            EXPECT_EQ(entry.pilot, generated.pilot);
            EXPECT_EQ(entry.gliderType, generated.gliderType);
            EXPECT_EQ(entry.registration, generated.registration);
            EXPECT_EQ(entry.competitionId, generated.competitionId);
            EXPECT_NEAR(entry.distance, triangle.perimeter(), triangle.perimeter() * 1e-3);
            EXPECT_NEAR(entry.freeDistance, triangle.perimeter(), triangle.perimeter() * 1e-3);
            EXPECT_EQ(entry.highestAltitude, TriangleFlight::kFieldElevation + triangle.climb());
            EXPECT_TRUE(entry.problem.empty());
            if (i > 0) {
                EXPECT_GT(entries[i - 1].takeoff, entry.takeoff);
            }
        }
    }

    fs::path m_root;
    std::map<std::string, GeneratedFlight> m_generated;  // by file below the folder
};

TEST_F(LogbookFolder, ListsEveryFlightAndReadsOnlyNewOrChangedFilesOnTheNextScan) {
    Logbook book(folder(), indexFile());

    expectTheGeneratedFlights(book.scan());
    EXPECT_EQ(book.filesRead(), static_cast<std::size_t>(kFlights));
    ASSERT_TRUE(fs::exists(indexFile()));

    Logbook warm(folder(), indexFile());
    expectTheGeneratedFlights(warm.scan());
    EXPECT_EQ(warm.filesRead(), 0u);

    // A changed file is read again, a removed one leaves the list.
    const auto first = m_generated.begin();
    const fs::path changed = folder() / first->first;
    std::ofstream(changed, std::ios::app) << "LXKVCOMMENT\r\n";
    fs::remove(folder() / std::next(first)->first);
    m_generated.erase(std::next(first));
    expectTheGeneratedFlights(warm.scan());
    EXPECT_EQ(warm.filesRead(), 1u);
    EXPECT_EQ(Logbook::flightFileNames(folder()).count(toUpperAscii(changed.filename().string())),
              1u);
}

TEST_F(LogbookFolder, ReadsEverythingAgainWithAnIndexThatIsNotItsOwnAndRefusesAMissingFolder) {
    fs::create_directories(indexFile().parent_path());
    std::ofstream(indexFile()) << "something else\n";
    Logbook book(folder(), indexFile());
    EXPECT_EQ(book.scan().size(), m_generated.size());
    EXPECT_EQ(book.filesRead(), m_generated.size());

    Logbook missing(m_root / "no-such-folder", indexFile());
    EXPECT_THROW(missing.scan(), std::runtime_error);
}

}  // namespace
}  // namespace kelvo
