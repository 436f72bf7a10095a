#include "LoggerAccess/LX/CRC8.h"

#include "base/Log.h"

namespace kelvo {

std::uint8_t CRC8::step(std::uint8_t crc, std::uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) {
        const bool top = ((crc ^ byte) & 0x80) != 0;
        crc = static_cast<std::uint8_t>(crc << 1);
        if (top) crc ^= 0x69;
        byte = static_cast<std::uint8_t>(byte << 1);
    }
    return crc;
}

std::uint8_t CRC8::calc_crc(std::uint8_t byte) {
    crcval = step(crcval, byte);
    return byte;
}

std::uint8_t CRC8::calc_crc(ByteSpan data) const {
    return calc_crc(data, crcval);
}

bool CRC8::check_crc(ByteSpan data) const {
    if (data.empty()) return false;
    const std::uint8_t calculated = calc_crc(data.first(data.size() - 1));
    const std::uint8_t actual = data.back();
    if (calculated != actual) {
        logf("Calculated crc = 0x%x; actual crc = 0x%x.", calculated, actual);
        return false;
    }
    return true;
}

std::uint8_t CRC8::calc_crc(ByteSpan data, std::uint8_t initial) {
    std::uint8_t crc = initial;
    for (const std::uint8_t byte : data) crc = step(crc, byte);
    return crc;
}

bool CRC8::check_crc(ByteSpan data, std::uint8_t initial) {
    return calc_crc(data, initial) == 0;
}

}  // namespace kelvo
