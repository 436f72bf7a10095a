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
    // Why the file could not be read; empty for a flight that was read.
    std::string problem;

    // The entry of a trace, with the texts of its header records.
    static LogbookEntry of(const KelvoTrace& trace);
    // When the flight began: take-off, else its date.
    std::chrono::sys_seconds sortTime() const;
};

// The flights folder: every IGC file below it, newest first. The index keeps each
// flight's entry under its path, size and modification time, so that a scan reads only
// the files that are new or changed since the last one.
class Logbook {
  public:
    // (files done, files to read); called from the reading threads, one call at a time.
    using Progress = std::function<void(std::size_t, std::size_t)>;

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

    // The names of the IGC files below the folder, in upper case: a recorder's flight is in
    // the logbook when the file name it gives is among them, in whatever subfolder.
    static std::set<std::string> flightFileNames(const std::filesystem::path& folder);

  private:
    std::filesystem::path m_folder;
    std::filesystem::path m_indexFile;
    std::size_t m_filesRead = 0;
};

}  // namespace kelvo
