#include "LoggerAccess/Volkslogger/GRECORD.h"

#include <algorithm>

namespace kelvo::vl {
namespace {

constexpr char kAlphabet[] = "0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ`abcdefghijklmnopqrstuvwxyz";
constexpr int kGroupsPerLine = 18;

}  // namespace

std::array<char, 4> byte_bas64(const std::uint8_t triple[3]) {
    return {kAlphabet[triple[0] >> 2], kAlphabet[(triple[0] & 3) << 4 | triple[1] >> 4],
            kAlphabet[(triple[1] & 15) << 2 | triple[2] >> 6], kAlphabet[triple[2] & 63]};
}

void GRECORD::encodePending() {
    const std::array<char, 4> group = byte_bas64(m_triple);
    m_line.append(group.data(), group.size());
    std::fill(std::begin(m_triple), std::end(m_triple), std::uint8_t{0xFF});
    m_pending = 0;
    if (++m_groups == kGroupsPerLine) {
        m_out << 'G' << m_line << "\r\n";
        m_line.clear();
        m_groups = 0;
    }
}

void GRECORD::update(std::uint8_t byte) {
    m_triple[m_pending++] = byte;
    if (m_pending == 3) encodePending();
}

void GRECORD::finish() {
    if (m_pending == 0 && m_line.empty()) return;
    encodePending();
    if (!m_line.empty()) {
        m_out << 'G' << m_line << "\r\n";
        m_line.clear();
        m_groups = 0;
    }
}

void print_g_record(std::ostream& out, ByteSpan data, long length) {
    GRECORD record(out);
    const std::size_t count = std::min<std::size_t>(data.size(), length < 0 ? 0 : length);
    for (std::size_t i = 0; i < count; ++i) record.update(data[i]);
    record.finish();
}

}  // namespace kelvo::vl
