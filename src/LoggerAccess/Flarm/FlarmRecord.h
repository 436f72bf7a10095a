#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// One entry of a Flarm device's flight list, parsed from its record text
// "filename|YYYY-MM-DD|HH:MM:SS|HH:MM:SS[|pilot[|glider ID]]" (start time and duration).
struct FlarmRecord {
    int number = 0;
    // As the device names it; the flight directory makes it safe to write under.
    std::string filename;
    // Known only when the date and both times are complete and valid.
    std::optional<std::chrono::sys_seconds> start;  // UTC
    std::optional<std::chrono::sys_seconds> end;
    std::string duration;  // "HH:MM:SS" when the times are known
    std::optional<std::string> pilot;
    std::optional<std::string> gliderId;

    // Nothing when the text has fewer than four fields.
    static std::optional<FlarmRecord> parse(int number, std::string_view text);
};

}  // namespace kelvo
