#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace kelvo {

// Calendar fields of a UTC time.
struct UtcFields {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The UTC time of the fields, or nothing when they name no real date and time
// (month 13, 31 February, hour 24, ...).
std::optional<std::chrono::sys_seconds> utcTime(int year, int month, int day, int hour = 0,
                                                int minute = 0, int second = 0);
UtcFields utcFields(std::chrono::sys_seconds time);

// "2009-10-07T09:05:00Z"
std::string isoUtc(std::chrono::sys_seconds time);

// Seconds of the day 0..86399.
int secondsOfDay(std::chrono::sys_seconds time);

}  // namespace kelvo
