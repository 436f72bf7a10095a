#include "LoggerAccess/LXNAV/LXNAVBlockCrc.h"

#include <charconv>

namespace kelvo {

void LXNAVBlockCrc::add(std::string_view bytes) {
    for (const char c : bytes) {
        m_state ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            const bool low = m_state & 1u;
            m_state = (m_state >> 1) | (m_state & 0x80000000u);
            if (low) m_state ^= 0xEDB88320u;
        }
    }
}

std::int32_t LXNAVBlockCrc::value() const {
    return static_cast<std::int32_t>(~m_state);
}

std::int32_t LXNAVBlockCrc::of(std::string_view bytes) {
    LXNAVBlockCrc crc;
    crc.add(bytes);
    return crc.value();
}

std::optional<std::int32_t> LXNAVBlockCrc::parse(std::string_view text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

}  // namespace kelvo
