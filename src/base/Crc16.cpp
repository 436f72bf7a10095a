#include "base/Crc16.h"

namespace kelvo {

std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte) {
    crc ^= static_cast<std::uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
        crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

std::uint16_t crc16(ByteSpan data, std::uint16_t crc) {
    for (const std::uint8_t byte : data) crc = crc16Update(crc, byte);
    return crc;
}

}  // namespace kelvo
