#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kelvo {

class KelvoTrace;

// One flight of the logbook: what its IGC file says and what its statistics give.
struct LogbookEntry {
    std::string file;  // the path below the flights folder, with "/" between folders
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // [ns] since the epoch, as the file system gives it
    // The file's inode and status change time [ns]: no one can set the latter, so an index
    // entry that holds all four still describes the file it was read from.
    std::uint64_t inode = 0;
    std::int64_t changed = 0;
    std::optional<std::chrono::sys_seconds> date;
    std::optional<std::chrono::sys_seconds> takeoff;
    std::optional<std::chrono::sys_seconds> landing;
    std::chrono::seconds flightTime{0};
    std::string pilot;
    std::string gliderType;
    std::string registration;
    std::string competitionId;
    double distance = 0.0;                  // [km] flown
    std::optional<double> highestAltitude;  // [m]
    double freeDistance = 0.0;              // [km] scored, see FreeDistance
    // Why the file is no flight of the logbook (it cannot be read or is no IGC file); empty
    // for a flight that was read.
    std::string problem;

    // The entry of a trace, with the texts of its header records.
    static LogbookEntry of(const KelvoTrace& trace);
    // When the flight began: take-off, else its date.
    std::chrono::sys_seconds sortTime() const;
};

// The flights folder: every IGC file below it, newest first. The index keeps each
// flight's entry under its path, size, modification time, inode and status change time, so
// that a scan reads only the files that are new or changed since the last one. The index is
// a cache, not a source: it is read only when it is a regular file of the user within
// kMaxIndexSize, an entry is taken only while it matches its file, and anything else is
// rebuilt from the files.
//
// Files that cannot be read or are no IGC files come back with their problem; subfolders
// that cannot be listed are skipped and named (unreadableFolders). Links to IGC files are
// listed under their own name; links to folders are not followed.
class Logbook {
  public:
    // (files done, files to read); called from the reading threads, one call at a time.
    using Progress = std::function<void(std::size_t, std::size_t)>;
    // A flights folder of 10,000 flights has an index of about 2 MB.
    static constexpr std::uintmax_t kMaxIndexSize = std::uintmax_t{32} << 20;

    // The flights folder of a new installation: "Flights" in the documents folder.
    static std::filesystem::path defaultFlightsFolder();
    // The index of a folder in $XDG_CACHE_HOME/kelvo/, named after the folder's path.
    static std::filesystem::path defaultIndexFile(const std::filesystem::path& folder);

    Logbook(std::filesystem::path folder, std::filesystem::path indexFile);

    // Lists the folder's flights, newest first, reading the new and changed files on as
    // many threads as help, and rewrites the index when anything changed. Throws
    // std::runtime_error when the folder cannot be listed.
    std::vector<LogbookEntry> scan(const Progress& progress = {});
    // How many IGC files the last scan read.
    std::size_t filesRead() const { return m_filesRead; }
    // The subfolders the last scan could not list: path below the folder and reason.
    const std::vector<std::string>& unreadableFolders() const { return m_unreadableFolders; }
    // "2 files and 1 folder could not be read" for the last scan's entries; empty when
    // everything was read.
    std::string unreadSummary(const std::vector<LogbookEntry>& entries) const;

    // The names of the IGC files below the folder, in upper case: a recorder's flight is in
    // the logbook when the file name it gives is among them, in whatever subfolder.
    static std::set<std::string> flightFileNames(const std::filesystem::path& folder);

  private:
    std::filesystem::path m_folder;
    std::filesystem::path m_indexFile;
    std::size_t m_filesRead = 0;
    std::vector<std::string> m_unreadableFolders;
};

}  // namespace kelvo
