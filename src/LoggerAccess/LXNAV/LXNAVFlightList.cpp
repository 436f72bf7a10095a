#include "LoggerAccess/LXNAV/LXNAVFlightList.h"

#include <algorithm>

#include "LoggerAccess/LXNAV/LXNAVLink.h"
#include "base/Cancellation.h"
#include "base/Format.h"
#include "base/Log.h"
#include "base/UtcDate.h"

namespace kelvo {
namespace {

using namespace std::chrono_literals;

// Entries asked for at once, and the wait for each.
constexpr int kPage = 8;
constexpr auto kEntryWait = 2s;
constexpr auto kCountWait = 2s;
// More flights than any recorder keeps: a larger count is a damaged answer.
constexpr long long kMostFlights = 10000;

std::optional<int> twoDigits(std::string_view text) {
    const auto number = text.size() == 2 ? lxnavNumber(text) : std::nullopt;
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
}

// "hh:mm:ss" as seconds of the day.
std::optional<int> timeOfDay(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
    const auto h = twoDigits(text.substr(0, 2)), m = twoDigits(text.substr(3, 2)),
               s = twoDigits(text.substr(6, 2));
    if (!h || !m || !s || *h > 23 || *m > 59 || *s > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + *s;
}

// "dd.mm.yyyy"; nothing for a date the recorder did not know (00.00.1980).
std::optional<std::chrono::sys_seconds> dateOf(std::string_view text) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.') return std::nullopt;
    const auto day = twoDigits(text.substr(0, 2)), month = twoDigits(text.substr(3, 2));
    const auto year = lxnavNumber(text.substr(6, 4));
    if (!day || !month || !year) return std::nullopt;
    return utcTime(static_cast<int>(*year), *month, *day);
}

}  // namespace

std::optional<FlightEntry> LXNAVFlightList::entryOf(const std::vector<std::string>& arguments) {
    if (arguments.size() < 6) return std::nullopt;
    const auto index = lxnavNumber(arguments[0]);
    if (!index || *index < 1 || arguments[2].empty()) return std::nullopt;
    LXNAVFlight flight{static_cast<int>(*index), arguments[2], std::nullopt};
    if (arguments.size() > 6) {
        const auto size = lxnavNumber(arguments[6]);
        if (size && *size >= 0) flight.size = static_cast<std::uint64_t>(*size);
    }
    FlightEntry entry;
    entry.number = std::to_string(flight.index);
    entry.filename = flight.file;
    const auto date = dateOf(arguments[3]);
    const auto takeoff = timeOfDay(arguments[4]);
    const int landing = timeOfDay(arguments[5]).value_or(0);  // 00:00:00: not known
    if (date && takeoff) {
        entry.date = *date + std::chrono::seconds(*takeoff);
        entry.firsttime = entry.date;
        if (landing != 0) {
            // A landing before the take-off was on the next day (UTC).
            const int seconds = (landing - *takeoff + 86400) % 86400;
            entry.lasttime = *entry.firsttime + std::chrono::seconds(seconds);
            entry.duration =
                stringf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        }
    }
    entry.driverRecord = flight;
    return entry;
}

std::optional<int> LXNAVFlightList::readCount() {
    // Firmware 2.10 and later answers LOGBOOKSIZE, older firmware LOGBOOK with one argument.
    const auto answer = m_link.ask("LOGBOOKSIZE,R", {"LOGBOOKSIZE,A", "LOGBOOK,A"}, kCountWait);
    if (!answer || answer->arguments.size() != 1) return std::nullopt;
    const auto count = lxnavNumber(answer->arguments[0]);
    if (!count || *count < 0 || *count > kMostFlights) return std::nullopt;
    return static_cast<int>(*count);
}

bool LXNAVFlightList::readPage(int first, int end, int count, std::vector<FlightEntry>& entries) {
    const std::size_t before = entries.size();
    for (int attempt = 0; attempt < 2; ++attempt) {
        entries.resize(before);
        m_link.send(stringf("LOGBOOK,R,%d,%d", first, end));
        int expected = first;
        while (expected < end) {
            const auto answer = m_link.await({"LOGBOOK,A"}, kEntryWait);
            if (!answer) break;
            auto entry = entryOf(answer->arguments);
            const auto total =
                answer->arguments.size() > 1 ? lxnavNumber(answer->arguments[1]) : std::nullopt;
            if (!entry || *entry->key() != expected || total != count) {
                logf("Logbook entry %d: unexpected answer $%s", expected, answer->body.c_str());
                break;
            }
            entries.push_back(std::move(*entry));
            ++expected;
        }
        if (expected == end) return true;
        m_link.drainUntilQuiet();
    }
    return false;
}

Outcome LXNAVFlightList::read(std::vector<FlightEntry>& entries) {
    entries.clear();
    const auto count = readCount();
    if (!count) {
        return Outcome::failure("no answer from the recorder to the question for its flight count");
    }
    logf("The recorder keeps %d flights.", *count);
    for (int first = 1; first <= *count; first += kPage) {
        if (cancellationRequested()) return Outcome::cancelled();
        if (!readPage(first, std::min(first + kPage, *count + 1), *count, entries)) {
            if (cancellationRequested()) return Outcome::cancelled();
            return Outcome::failure(
                stringf("the flight list arrived in part: %zu of its %d entries "
                        "came, then the recorder stopped answering",
                        entries.size(), *count));
        }
    }
    // The recorder numbers its flights oldest first; Kelvo lists the newest first.
    std::reverse(entries.begin(), entries.end());
    return Outcome::success();
}

}  // namespace kelvo
