#include "LoggerAccess/Flarm/FlarmRecord.h"

#include <array>
#include <vector>

#include "base/Format.h"
#include "base/Text.h"
#include "base/UtcDate.h"

namespace kelvo {
namespace {

// Three integers of a "a-b-c" or "a:b:c" field; nothing with fewer than three parts.
std::optional<std::array<int, 3>> threeParts(const std::string& field, char separator) {
    const std::vector<std::string> parts = splitAt(field, separator);
    if (parts.size() < 3) return std::nullopt;
    return std::array<int, 3>{static_cast<int>(leadingInteger(parts[0])),
                              static_cast<int>(leadingInteger(parts[1])),
                              static_cast<int>(leadingInteger(parts[2]))};
}

}  // namespace

std::optional<FlarmRecord> FlarmRecord::parse(int number, std::string_view text) {
    const std::vector<std::string> fields = splitAt(text, '|');
    if (fields.size() < 4) return std::nullopt;
    FlarmRecord record;
    record.number = number;
    const auto date =
        splitAt(fields[1], '-').size() == 3 ? threeParts(fields[1], '-') : std::nullopt;
    const auto time = threeParts(fields[2], ':');
    const auto length = threeParts(fields[3], ':');
    if (date && time && length) {
        const auto [year, month, day] = *date;
        const auto [hour, minute, second] = *time;
        const auto [hours, minutes, seconds] = *length;
        record.start = utcTime(year, month, day, hour, minute, second);
        if (record.start) {
            record.end =
                *record.start + std::chrono::seconds(hours * 3600LL + minutes * 60LL + seconds);
            record.duration = stringf("%02d:%02d:%02d", hours, minutes, seconds);
        }
    }
    record.filename = fields[0];
    if (fields.size() > 4) record.pilot = fields[4];
    if (fields.size() > 5) record.gliderId = fields[5];
    return record;
}

}  // namespace kelvo
