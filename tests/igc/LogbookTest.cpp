#include "igc/Logbook.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
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

// The index is a cache: one that is not a regular file of the user, or whose entries do not
// match their files, is read from the files again (and rewritten), never trusted.
TEST_F(LogbookFolder, RebuildsAnIndexThatIsNoRegularFileOfTheUserOrDoesNotMatchItsFiles) {
    const std::string planted = m_generated.begin()->first;
    const std::vector<std::pair<const char*, std::function<void()>>> indexes{
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", indexFile()); }},
        {"a named pipe", [&] { ASSERT_EQ(::mkfifo(indexFile().c_str(), 0600), 0); }},
        {"an entry named by what anyone sees of its file: path, size and time",
         [&] {
             const fs::path file = folder() / planted;
             std::ofstream(indexFile()) << "kelvo logbook index 1\n"
                                        << planted << '\t' << fs::file_size(file) << '\t'
                                        << fs::last_write_time(file).time_since_epoch().count()
                                        << "\t-\t-\t-\t0\tPlanted\tx\tx\tx\t0\t-\n";
         }},
        {"the index of another user",
         [&] {
             Logbook(folder(), indexFile()).scan();
             if (::chown(indexFile().c_str(), ::getuid() + 1, ::getgid()) != 0) {
                 fs::remove(indexFile());  // only root can give a file away
                 fs::create_symlink("/dev/zero", indexFile());
             }
         }},
    };
    for (const auto& [what, makeIndex] : indexes) {
        SCOPED_TRACE(what);
        fs::create_directories(indexFile().parent_path());
        makeIndex();
        Logbook book(folder(), indexFile());
        expectTheGeneratedFlights(book.scan());
        EXPECT_EQ(book.filesRead(), m_generated.size());
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(indexFile())));
        fs::remove(indexFile());
    }
}

// What cannot be read is skipped and counted; a link is listed under its own name.
TEST_F(LogbookFolder, CountsWhatCannotBeReadAndListsLinksUnderTheirOwnName) {
    const auto [target, flight] = *m_generated.begin();
    fs::create_directories(folder() / "links");
    fs::create_symlink(folder() / target, folder() / "links/linked.IGC");
    std::ofstream(folder() / "garbage.igc") << "\x01\x02 not a flight\r\nB1234";
    std::ofstream(folder() / "notes.igc") << "Meeting at 10, bring the barograph\n";
    const bool root = ::getuid() == 0;  // root reads every folder
    fs::create_directories(folder() / "locked");
    fs::permissions(folder() / "locked", fs::perms::none);

    Logbook book(folder(), indexFile());
    std::vector<LogbookEntry> entries = book.scan();
    fs::permissions(folder() / "locked", fs::perms::owner_all);
    std::map<std::string, std::string> problems;
    std::size_t linked = 0;
    std::erase_if(entries, [&](const LogbookEntry& entry) {
        if (!entry.problem.empty()) problems[entry.file] = entry.problem;
        if (entry.file == "links/linked.IGC" && entry.pilot == flight.pilot) ++linked;
        return !entry.problem.empty() || entry.file == "links/linked.IGC";
    });
    EXPECT_EQ(linked, 1u);
    expectTheGeneratedFlights(entries);
    const std::string notIgc = "is not an IGC file (it does not begin with an A record)";
    EXPECT_EQ(problems,
              (std::map<std::string, std::string>{{"garbage.igc", notIgc}, {"notes.igc", notIgc}}));
    EXPECT_EQ(book.unreadableFolders().size(), root ? 0u : 1u);
    EXPECT_EQ(book.unreadSummary(entries), "");
    EXPECT_EQ(book.unreadSummary(book.scan()),
              root ? "2 files could not be read" : "2 files and 1 folder could not be read");
}

}  // namespace
}  // namespace kelvo
