#include "LoggerAccess/FlightEntry.h"

#include <charconv>

namespace kelvo {
namespace {

template <typename T>
FlightEntry::Value valueOf(const std::optional<T>& field) {
    if (!field) return std::monostate{};
    return *field;
}

}  // namespace

FlightEntry::Value FlightEntry::value(std::string_view key) const {
    if (key == "number") return valueOf(number);
    if (key == "takeoff") return valueOf(takeoff);
    if (key == "date") return valueOf(date);
    if (key == "firsttime") return valueOf(firsttime);
    if (key == "lasttime") return valueOf(lasttime);
    if (key == "duration") return valueOf(duration);
    if (key == "filename") return valueOf(filename);
    if (key == "pilot") return valueOf(pilot);
    if (key == "compid") return valueOf(compid);
    if (key == "gliderid") return valueOf(gliderid);
    return std::monostate{};
}

std::optional<int> FlightEntry::key() const {
    if (!number) return std::nullopt;
    int parsed = 0;
    const char* end = number->data() + number->size();
    const auto [stop, error] = std::from_chars(number->data(), end, parsed);
    if (error != std::errc() || stop != end) return std::nullopt;
    return parsed;
}

}  // namespace kelvo
