#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/FlightEntry.h"
#include "LoggerAccess/Outcome.h"

namespace kelvo {

class LXNAVLink;

// What the driver keeps of a logbook entry to download its flight.
struct LXNAVFlight {
    int index = 0;  // the recorder's number, 1 the oldest
    std::string file;
    std::optional<std::uint64_t> size;  // [bytes]; old firmware does not give it
};

// The recorder's logbook: the number of flights (answered as LOGBOOKSIZE by newer firmware,
// as LOGBOOK by older), then one entry per flight, asked for a page at a time.
class LXNAVFlightList {
  public:
    explicit LXNAVFlightList(LXNAVLink& link) : m_link(link) {}

    // Every flight, newest first; a list that arrived in part is a failure saying how much.
    Outcome read(std::vector<FlightEntry>& entries);

    // The entry of "<index>,<total>,<file>,<dd.mm.yyyy>,<take-off>,<landing>[,<size>]": a
    // date of 00.00.1980 (a recorder without a clock) and a landing of 00:00:00 are unknown.
    static std::optional<FlightEntry> entryOf(const std::vector<std::string>& arguments);

  private:
    std::optional<int> readCount();
    // Reads the entries from first up to end (exclusive) into entries; false when any is
    // missing after a second request.
    bool readPage(int first, int end, int count, std::vector<FlightEntry>& entries);

    LXNAVLink& m_link;
};

}  // namespace kelvo
