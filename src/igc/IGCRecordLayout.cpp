#include "igc/IGCRecordLayout.h"

namespace kelvo {
namespace {

// The value of a field of two digits; nothing when it is shorter or holds anything else.
std::optional<std::size_t> twoDigits(std::string_view record, std::size_t at) {
    if (at + 2 > record.size()) return std::nullopt;
    std::size_t value = 0;
    for (const char c : record.substr(at, 2)) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
    }
    return value;
}

}  // namespace

std::optional<std::size_t> IGCRecordLayout::announcedLength(std::string_view record,
                                                            std::size_t fixedLength) {
    const auto count = twoDigits(record, 1);
    if (!count || record.size() != 3 + 7 * *count) return std::nullopt;
    std::size_t end = fixedLength;
    for (std::size_t i = 0; i < *count; ++i) {
        const auto first = twoDigits(record, 3 + 7 * i);
        const auto last = twoDigits(record, 5 + 7 * i);
        if (!first || !last || *first != end + 1 || *last < *first) return std::nullopt;
        end = *last;
    }
    return end;
}

}  // namespace kelvo
