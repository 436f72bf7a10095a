#include "LoggerAccess/FlightColumn.h"

#include <array>

namespace kelvo {
namespace {

template <auto Field>
FlightColumn::Value valueOf(const FlightEntry& entry) {
    const auto& field = entry.*Field;
    if (!field) return std::monostate{};
    return *field;
}

}  // namespace

const FlightColumn FlightColumn::number{"number", "Number", valueOf<&FlightEntry::number>};
const FlightColumn FlightColumn::takeoff{"takeoff", "Take-off detected",
                                         valueOf<&FlightEntry::takeoff>};
const FlightColumn FlightColumn::date{"date", "Date", valueOf<&FlightEntry::date>};
const FlightColumn FlightColumn::firstTime{"firsttime", "Take-off",
                                           valueOf<&FlightEntry::firsttime>};
const FlightColumn FlightColumn::lastTime{"lasttime", "Landing", valueOf<&FlightEntry::lasttime>};
const FlightColumn FlightColumn::duration{"duration", "Duration", valueOf<&FlightEntry::duration>};
const FlightColumn FlightColumn::fileName{"filename", "File", valueOf<&FlightEntry::filename>};
const FlightColumn FlightColumn::pilot{"pilot", "Pilot", valueOf<&FlightEntry::pilot>};
const FlightColumn FlightColumn::competitionId{"compid", "Comp. ID", valueOf<&FlightEntry::compid>};
const FlightColumn FlightColumn::gliderId{"gliderid", "Glider", valueOf<&FlightEntry::gliderid>};

std::span<const FlightColumn* const> FlightColumn::all() {
    static const std::array<const FlightColumn*, 10> columns = {
        &number,   &takeoff,  &date,  &firstTime,     &lastTime,
        &duration, &fileName, &pilot, &competitionId, &gliderId};
    return columns;
}

}  // namespace kelvo
