#pragma once

#include <cstdint>

#include "base/Bytes.h"

namespace kelvo {

// CRC-16 with polynomial 0x1021, initial value 0, most significant bit first, no reflection
// and no final XOR (the XMODEM parameters), as the Volkslogger and Flarm links use it.
std::uint16_t crc16Update(std::uint16_t crc, std::uint8_t byte);
std::uint16_t crc16(ByteSpan data, std::uint16_t crc = 0);

}  // namespace kelvo
