#include "LoggerAccess/LXNAV/LXNAVRowLayout.h"

namespace kelvo {

bool LXNAVRowLayout::learn(std::string_view row) {
    if (row.empty() || (row[0] != 'I' && row[0] != 'J')) return true;
    std::size_t& length = row[0] == 'I' ? m_fixLength : m_eventLength;
    const auto announced = IGCRecordLayout::announcedLength(
        row, row[0] == 'I' ? IGCRecordLayout::kFixLength : IGCRecordLayout::kKRecordLength);
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
