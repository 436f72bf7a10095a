#include "igc/Logbook.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "base/AtomicFile.h"
#include "base/Format.h"
#include "base/Text.h"
#include "base/XdgFolders.h"
#include "igc/FlightStatistics.h"
#include "igc/KelvoTrace.h"

namespace kelvo {

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::string_view kIndexHeader = "kelvo logbook index 2";
constexpr std::size_t kIndexFields = 14;
// Files that one reading thread takes before another one pays for itself.
constexpr std::size_t kFilesPerThread = 8;

bool isIgcFile(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) &&
           toUpperAscii(entry.path().extension().string()) == ".IGC";
}

// The text of a header record after its subtitle ("PILOTINCHARGE:Jane Doe" -> "Jane Doe").
std::string headerText(const KelvoTrace& trace, const std::string& key) {
    const auto found = trace.header().find(key);
    if (found == trace.header().end()) return "";
    const std::string& value = found->second;
    const std::size_t colon = value.find(':');
    return trimSpacesAndTabs(colon == std::string::npos ? value : value.substr(colon + 1));
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

std::optional<sys_seconds> timeOfField(const std::string& field) {
    if (field == "-") return std::nullopt;
    return sys_seconds{seconds{leadingInteger(field)}};
}

std::string indexLine(const LogbookEntry& entry) {
    return stringf("%s\t%ju\t%lld\t%s\t%s\t%s\t%lld\t%s\t%s\t%s\t%s\t%.6f\t%s\t%.6f\n",
                   escaped(entry.file).c_str(), entry.size, static_cast<long long>(entry.modified),
                   timeField(entry.date).c_str(), timeField(entry.takeoff).c_str(),
                   timeField(entry.landing).c_str(),
                   static_cast<long long>(entry.flightTime.count()), escaped(entry.pilot).c_str(),
                   escaped(entry.gliderType).c_str(), escaped(entry.registration).c_str(),
                   escaped(entry.competitionId).c_str(), entry.distance,
                   entry.highestAltitude ? stringf("%.1f", *entry.highestAltitude).c_str() : "-",
                   entry.freeDistance);
}

std::optional<LogbookEntry> entryOfIndexLine(const std::string& line) {
    const std::vector<std::string> fields = splitAt(line, '\t');
    if (fields.size() != kIndexFields) return std::nullopt;
    LogbookEntry entry;
    entry.file = unescaped(fields[0]);
    entry.size = static_cast<std::uintmax_t>(leadingInteger(fields[1]));
    entry.modified = leadingInteger(fields[2]);
    entry.date = timeOfField(fields[3]);
    entry.takeoff = timeOfField(fields[4]);
    entry.landing = timeOfField(fields[5]);
    entry.flightTime = seconds{leadingInteger(fields[6])};
    entry.pilot = unescaped(fields[7]);
    entry.gliderType = unescaped(fields[8]);
    entry.registration = unescaped(fields[9]);
    entry.competitionId = unescaped(fields[10]);
    entry.distance = leadingDouble(fields[11]);
    if (fields[12] != "-") entry.highestAltitude = leadingDouble(fields[12]);
    entry.freeDistance = leadingDouble(fields[13]);
    return entry;
}

// The index's entries by file; an index that is missing or not ours is empty.
std::unordered_map<std::string, LogbookEntry> readIndex(const fs::path& path) {
    std::unordered_map<std::string, LogbookEntry> entries;
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line) || line != kIndexHeader) return entries;
    while (std::getline(in, line)) {
        if (auto entry = entryOfIndexLine(line)) entries.emplace(entry->file, std::move(*entry));
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
            if (trace.setIGCFile(folder / entry.file)) {
                LogbookEntry read = LogbookEntry::of(trace);
                read.file = std::move(entry.file);
                read.size = entry.size;
                read.modified = entry.modified;
                entry = std::move(read);
            } else {
                entry.problem = "cannot be read";
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

}  // namespace

LogbookEntry LogbookEntry::of(const KelvoTrace& trace) {
    const FlightStatistics statistics = FlightStatistics::of(trace);
    LogbookEntry entry;
    entry.date = trace.dateOfFlight();
    entry.takeoff = statistics.takeoff;
    entry.landing = statistics.landing;
    entry.flightTime = statistics.flightTime;
    entry.pilot = headerText(trace, "PLT");
    entry.gliderType = headerText(trace, "GTY");
    entry.registration = headerText(trace, "GID");
    entry.competitionId = headerText(trace, "CID");
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
    fs::recursive_directory_iterator files(m_folder, fs::directory_options::skip_permission_denied,
                                           error);
    if (error) throw std::runtime_error("cannot list the flights folder " + m_folder.string());

    const auto index = readIndex(m_indexFile);
    std::vector<LogbookEntry> entries;
    std::vector<std::size_t> stale;  // the entries whose files are new or changed
    for (; files != fs::recursive_directory_iterator(); files.increment(error)) {
        if (!isIgcFile(*files)) continue;
        LogbookEntry entry;
        entry.file = fs::relative(files->path(), m_folder).generic_string();
        entry.size = files->file_size(error);
        entry.modified = files->last_write_time(error).time_since_epoch().count();
        const auto known = index.find(entry.file);
        const bool unchanged = known != index.end() && known->second.size == entry.size &&
                               known->second.modified == entry.modified;
        if (!unchanged) stale.push_back(entries.size());
        entries.push_back(unchanged ? known->second : std::move(entry));
    }
    if (error) throw std::runtime_error("cannot list the flights folder " + m_folder.string());

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

std::set<std::string> Logbook::flightFileNames(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code error;
    fs::recursive_directory_iterator files(folder, fs::directory_options::skip_permission_denied,
                                           error);
    for (; !error && files != fs::recursive_directory_iterator(); files.increment(error)) {
        if (isIgcFile(*files)) names.insert(toUpperAscii(files->path().filename().string()));
    }
    return names;
}

}  // namespace kelvo
