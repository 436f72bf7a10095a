#include "LoggerAccess/FlightEntry.h"

#include <charconv>

namespace kelvo {

std::optional<int> FlightEntry::key() const {
    if (!number) return std::nullopt;
    int parsed = 0;
    const char* end = number->data() + number->size();
    const auto [stop, error] = std::from_chars(number->data(), end, parsed);
    if (error != std::errc() || stop != end) return std::nullopt;
    return parsed;
}

}  // namespace kelvo
