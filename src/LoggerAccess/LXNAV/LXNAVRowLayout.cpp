#include "LoggerAccess/LXNAV/LXNAVRowLayout.h"

#include <optional>

namespace kelvo {
namespace {

std::optional<std::size_t> digits(std::string_view text) {
    std::size_t number = 0;
    if (text.empty()) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return number;
}

// The record length an I or J record announces: NN extensions of SSFFCCC (start and finish
// byte, 1-based, and code), the record ending at the last finish byte.
std::optional<std::size_t> announcedLength(std::string_view row, std::size_t plainLength) {
    const auto count = digits(row.substr(1, 2));
    if (!count || row.size() < 3 + *count * 7) return std::nullopt;
    std::size_t length = plainLength;
    for (std::size_t i = 0; i < *count; ++i) {
        const auto start = digits(row.substr(3 + i * 7, 2));
        const auto finish = digits(row.substr(5 + i * 7, 2));
        if (!start || !finish || *start != length + 1 || *finish < *start) return std::nullopt;
        length = *finish;
    }
    return length;
}

}  // namespace

bool LXNAVRowLayout::learn(std::string_view row) {
    if (row.empty() || (row[0] != 'I' && row[0] != 'J')) return true;
    std::size_t& length = row[0] == 'I' ? m_fixLength : m_eventLength;
    const auto announced = announcedLength(row, row[0] == 'I' ? 35 : 7);
    if (!announced) return false;
    length = *announced;
    return true;
}

bool LXNAVRowLayout::fits(std::string_view row) const {
    if (row.empty()) return true;
    if (row[0] == 'B') return row.size() == m_fixLength;
    if (row[0] == 'K') return row.size() == m_eventLength;
    return true;
}

}  // namespace kelvo
