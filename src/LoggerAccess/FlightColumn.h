#pragma once

#include <chrono>
#include <span>
#include <string>
#include <variant>

#include "LoggerAccess/FlightEntry.h"

namespace kelvo {

// A column of the flight directory as the flights table and kelvo-cli show it: the entry's
// key (also the key of kelvo-cli's JSON), the table's title and the field it shows.
struct FlightColumn {
    // A field as a cell: nothing, a text or a time (UTC; shown in the user's time zone).
    using Value = std::variant<std::monostate, std::string, std::chrono::sys_seconds>;

    const char* key;
    const char* title;
    Value (*read)(const FlightEntry& entry);

    static const FlightColumn number, takeoff, date, firstTime, lastTime, duration, fileName, pilot,
        competitionId, gliderId;
    // Every column, in the order above.
    static std::span<const FlightColumn* const> all();
};

}  // namespace kelvo
