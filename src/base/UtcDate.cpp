#include "base/UtcDate.h"

#include "base/Format.h"

namespace kelvo {

using namespace std::chrono;

std::optional<sys_seconds> utcTime(int year, int month, int day, int hour, int minute,
                                   int second) {
    const year_month_day date{std::chrono::year{year},
                              std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
    if (month < 1 || month > 12 || day < 1 || !date.ok()) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return std::nullopt;
    }
    return sys_days{date} + hours{hour} + minutes{minute} + seconds{second};
}

UtcFields utcFields(sys_seconds time) {
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    return UtcFields{static_cast<int>(date.year()), static_cast<int>(unsigned(date.month())),
                     static_cast<int>(unsigned(date.day())), static_cast<int>(clock.hours().count()),
                     static_cast<int>(clock.minutes().count()),
                     static_cast<int>(clock.seconds().count())};
}

std::string isoUtc(sys_seconds time) {
    const UtcFields f = utcFields(time);
    return stringf("%04d-%02d-%02dT%02d:%02d:%02dZ", f.year, f.month, f.day, f.hour, f.minute,
                   f.second);
}

int secondsOfDay(sys_seconds time) {
    return static_cast<int>((time - floor<days>(time)).count());
}

}  // namespace kelvo
