#include "igc/Logbook.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "base/AtomicFile.h"
#include "base/Format.h"
#include "base/InputFile.h"
#include "base/Text.h"
#include "base/XdgFolders.h"
#include "igc/FlightStatistics.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::string_view kIndexHeader = "kelvo logbook index 3";
constexpr std::size_t kIndexFields = 16;
// Files that one reading thread takes before another one pays for itself.
constexpr std::size_t kFilesPerThread = 8;

bool isIgcFile(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) &&
           toUpperAscii(entry.path().extension().string()) == ".IGC";
}

// Index lines are tab-separated; texts keep their tabs, line ends and backslashes escaped.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string timeField(const std::optional<sys_seconds>& time) {
    return time ? std::to_string(time->time_since_epoch().count()) : "-";
}

// A field that is a number and nothing else; the index is untrusted like any file.
template <typename Number>
std::optional<Number> numberOfField(std::string_view field) {
    Number number{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), number);
    if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return number;
}

// "-" for nothing; false for a field that is neither nothing nor a number.
template <typename Number>
bool readOptional(std::string_view field, std::optional<Number>& value) {
    if (field == "-") return true;
    value = numberOfField<Number>(field);
    return value.has_value();
}

bool readTime(std::string_view field, std::optional<sys_seconds>& time) {
    std::optional<long long> seconds;
    if (!readOptional(field, seconds)) return false;
    if (seconds) time = sys_seconds{std::chrono::seconds{*seconds}};
    return true;
}

std::string indexLine(const LogbookEntry& entry) {
    return stringf("%s\t%ju\t%lld\t%llu\t%lld\t%s\t%s\t%s\t%lld\t%s\t%s\t%s\t%s\t%.6f\t%s\t%.6f\n",
                   escaped(entry.file).c_str(), entry.size, static_cast<long long>(entry.modified),
                   static_cast<unsigned long long>(entry.inode),
                   static_cast<long long>(entry.changed), timeField(entry.date).c_str(),
                   timeField(entry.takeoff).c_str(), timeField(entry.landing).c_str(),
                   static_cast<long long>(entry.flightTime.count()), escaped(entry.pilot).c_str(),
                   escaped(entry.gliderType).c_str(), escaped(entry.registration).c_str(),
                   escaped(entry.competitionId).c_str(), entry.distance,
                   entry.highestAltitude ? stringf("%.1f", *entry.highestAltitude).c_str() : "-",
                   entry.freeDistance);
}

std::optional<LogbookEntry> entryOfIndexLine(std::string_view line) {
    const std::vector<std::string> fields = splitAt(line, '\t');
    if (fields.size() != kIndexFields) return std::nullopt;
    LogbookEntry entry;
    entry.file = unescaped(fields[0]);
    const auto size = numberOfField<std::uintmax_t>(fields[1]);
    const auto modified = numberOfField<std::int64_t>(fields[2]);
    const auto inode = numberOfField<std::uint64_t>(fields[3]);
    const auto changed = numberOfField<std::int64_t>(fields[4]);
    const auto flightTime = numberOfField<long long>(fields[8]);
    const auto distance = numberOfField<double>(fields[13]);
    const auto freeDistance = numberOfField<double>(fields[15]);
    if (!size || !modified || !inode || !changed || !flightTime || !distance || !freeDistance ||
        !readTime(fields[5], entry.date) || !readTime(fields[6], entry.takeoff) ||
        !readTime(fields[7], entry.landing) || !readOptional(fields[14], entry.highestAltitude)) {
        return std::nullopt;
    }
    entry.size = *size;
    entry.modified = *modified;
    entry.inode = *inode;
    entry.changed = *changed;
    entry.flightTime = seconds{*flightTime};
    entry.pilot = unescaped(fields[9]);
    entry.gliderType = unescaped(fields[10]);
    entry.registration = unescaped(fields[11]);
    entry.competitionId = unescaped(fields[12]);
    entry.distance = *distance;
    entry.freeDistance = *freeDistance;
    return entry;
}

// The index's entries by file. Only a regular file of this user within the size limit is
// read: a link to /dev/zero would never end, a pipe would block, and another user's file
// is not this user's cache. Anything else is an empty index, so the files are read again.
std::unordered_map<std::string, LogbookEntry> readIndex(const fs::path& path) {
    std::unordered_map<std::string, LogbookEntry> entries;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::getuid()) {
        return entries;
    }
    const InputFile file = readInputFile(path, Logbook::kMaxIndexSize);
    if (!file) return entries;
    const std::string_view text(reinterpret_cast<const char*>(file.bytes.data()),
                                file.bytes.size());
    const std::vector<std::string> lines = splitAt(text, '\n');
    if (lines.empty() || lines.front() != kIndexHeader) return entries;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (auto entry = entryOfIndexLine(lines[i]))
            entries.emplace(entry->file, std::move(*entry));
    }
    return entries;
}

void writeIndex(const fs::path& path, const std::vector<LogbookEntry>& entries) {
    std::string text(kIndexHeader);
    text += '\n';
    for (const auto& entry : entries) {
        if (entry.problem.empty()) text += indexLine(entry);
    }
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    // A cache: when it cannot be written, the next scan reads the files again.
    writeFileAtomically(path, text);
}

// Stable across runs and builds, unlike std::hash.
std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// Why the file is no flight of the logbook; empty when the trace holds its flight.
std::string readFlight(const fs::path& path, KelvoTrace& trace) {
    InputFile file = readInputFile(path);
    if (!file) {
        const std::string prefix = path.string() + ": ";
        return "cannot be read: " +
               (file.error.starts_with(prefix) ? file.error.substr(prefix.size()) : file.error);
    }
    if (!KelvoTrace::isIGCData(file.bytes)) {
        return "is not an IGC file (it does not begin with an A record)";
    }
    trace.setIGCData(std::move(file.bytes));
    return {};
}

// Reads the entries' files on as many threads as help; each entry knows its file below
// the folder.
void readFlights(const fs::path& folder, std::vector<LogbookEntry*>& toRead,
                 const Logbook::Progress& progress) {
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex progressMutex;
    auto work = [&] {
        for (std::size_t i = next++; i < toRead.size(); i = next++) {
            LogbookEntry& entry = *toRead[i];
            KelvoTrace trace;
            entry.problem = readFlight(folder / entry.file, trace);
            if (entry.problem.empty()) {
                LogbookEntry read = LogbookEntry::of(trace);
                read.file = std::move(entry.file);
                read.size = entry.size;
                read.modified = entry.modified;
                read.inode = entry.inode;
                read.changed = entry.changed;
                entry = std::move(read);
            }
            if (progress) {
                const std::lock_guard lock(progressMutex);
                progress(++done, toRead.size());
            }
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(
        toRead.size() / kFilesPerThread, 1, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::jthread> helpers;
    for (std::size_t i = 1; i < threads; ++i) helpers.emplace_back(work);
    work();
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// The entry of an IGC file found below the folder, with what identifies its contents; the
// file of a link is its target's.
LogbookEntry entryOfFile(const fs::path& folder, const fs::path& path) {
    LogbookEntry entry;
    // Below the folder as found, so that a link keeps its own name.
    entry.file = path.lexically_relative(folder).generic_string();
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        entry.size = static_cast<std::uintmax_t>(status.st_size);
        entry.modified = nanoseconds(status.st_mtim);
        entry.inode = status.st_ino;
        entry.changed = nanoseconds(status.st_ctim);
    }
    return entry;
}

bool matches(const LogbookEntry& known, const LogbookEntry& found) {
    return known.size == found.size && known.modified == found.modified &&
           known.inode == found.inode && known.changed == found.changed;
}

// Every IGC file below the folder. A subfolder that cannot be listed is named and skipped;
// one that went while the scan ran held nothing any more.
std::vector<fs::path> igcFilesBelow(const fs::path& folder,
                                    std::vector<std::string>& unreadableFolders) {
    std::vector<fs::path> files;
    std::vector<fs::path> folders{folder};
    while (!folders.empty()) {
        const fs::path current = std::move(folders.back());
        folders.pop_back();
        std::error_code error;
        fs::directory_iterator entries(current, error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            std::error_code ignored;
            if (entries->is_directory(ignored) && !entries->is_symlink(ignored)) {
                folders.push_back(entries->path());
            } else if (isIgcFile(*entries)) {
                files.push_back(entries->path());
            }
        }
        if (!error || error == std::errc::no_such_file_or_directory) continue;
        if (current == folder) {
            throw std::runtime_error("cannot list the flights folder " + folder.string() + ": " +
                                     error.message());
        }
        unreadableFolders.push_back(current.lexically_relative(folder).generic_string() + ": " +
                                    error.message());
    }
    return files;
}

}  // namespace

LogbookEntry LogbookEntry::of(const KelvoTrace& trace) {
    const FlightStatistics statistics = FlightStatistics::of(trace);
    LogbookEntry entry;
    entry.date = trace.dateOfFlight();
    entry.takeoff = statistics.takeoff;
    entry.landing = statistics.landing;
    entry.flightTime = statistics.flightTime;
    entry.pilot = trace.headerText("PLT");
    entry.gliderType = trace.headerText("GTY");
    entry.registration = trace.headerText("GID");
    entry.competitionId = trace.headerText("CID");
    entry.distance = statistics.distanceFlown;
    entry.highestAltitude = statistics.highestAltitude;
    if (statistics.freeDistance) entry.freeDistance = statistics.freeDistance->distance;
    return entry;
}

sys_seconds LogbookEntry::sortTime() const {
    return takeoff.value_or(date.value_or(sys_seconds{}));
}

fs::path Logbook::defaultFlightsFolder() {
    return xdgDocumentsFolder() / "Flights";
}

fs::path Logbook::defaultIndexFile(const fs::path& folder) {
    const std::string key = fs::weakly_canonical(fs::absolute(folder)).string();
    return xdgCacheFolder() / "kelvo" /
           stringf("logbook-%016llx.index", static_cast<unsigned long long>(fnv1a(key)));
}

Logbook::Logbook(fs::path folder, fs::path indexFile)
    : m_folder(std::move(folder)), m_indexFile(std::move(indexFile)) {}

std::vector<LogbookEntry> Logbook::scan(const Progress& progress) {
    std::error_code error;
    if (!fs::is_directory(m_folder, error)) {
        throw std::runtime_error("cannot list the flights folder " + m_folder.string());
    }
    m_unreadableFolders.clear();
    const std::vector<fs::path> files = igcFilesBelow(m_folder, m_unreadableFolders);

    const auto index = readIndex(m_indexFile);
    std::vector<LogbookEntry> entries;
    std::vector<std::size_t> stale;  // the entries whose files are new or changed
    for (const fs::path& file : files) {
        LogbookEntry entry = entryOfFile(m_folder, file);
        const auto known = index.find(entry.file);
        const bool unchanged = known != index.end() && matches(known->second, entry);
        if (!unchanged) stale.push_back(entries.size());
        entries.push_back(unchanged ? known->second : std::move(entry));
    }

    std::vector<LogbookEntry*> toRead;
    for (const std::size_t i : stale) toRead.push_back(&entries[i]);
    m_filesRead = toRead.size();
    readFlights(m_folder, toRead, progress);
    if (!toRead.empty() || index.size() != entries.size()) writeIndex(m_indexFile, entries);

    std::sort(entries.begin(), entries.end(), [](const LogbookEntry& a, const LogbookEntry& b) {
        if (a.sortTime() != b.sortTime()) return a.sortTime() > b.sortTime();
        return a.file < b.file;
    });
    return entries;
}

std::string Logbook::unreadSummary(const std::vector<LogbookEntry>& entries) const {
    const auto files = static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [](const auto& entry) { return !entry.problem.empty(); }));
    const std::size_t folders = m_unreadableFolders.size();
    if (files == 0 && folders == 0) return {};
    const std::string fileText = stringf("%zu %s", files, files == 1 ? "file" : "files");
    const std::string folderText = stringf("%zu %s", folders, folders == 1 ? "folder" : "folders");
    const std::string both = files == 0     ? folderText
                             : folders == 0 ? fileText
                                            : fileText + " and " + folderText;
    return both + " could not be read";
}

std::set<std::string> Logbook::flightFileNames(const fs::path& folder) {
    std::set<std::string> names;
    std::vector<std::string> unreadableFolders;
    try {
        for (const fs::path& file : igcFilesBelow(folder, unreadableFolders)) {
            names.insert(toUpperAscii(file.filename().string()));
        }
    } catch (const std::runtime_error&) {
        // A folder that cannot be listed holds no flight that a download could meet.
    }
    return names;
}

}  // namespace kelvo
