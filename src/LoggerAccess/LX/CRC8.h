#pragma once

#include <cstdint>

#include "base/Bytes.h"

namespace kelvo {

// CRC-8 of the LX link: polynomial 0x69, most significant bit first, no reflection and no
// final XOR. The link always starts from 0xFF; running it over data followed by its CRC
// byte gives 0, which is how received blocks are checked.
class CRC8 {
  public:
    explicit CRC8(std::uint8_t initial = 0xFF) : crcval(initial) {}

    void initCRC(std::uint8_t value) { crcval = value; }
    // Feeds one byte into the register and hands the byte back unchanged.
    std::uint8_t calc_crc(std::uint8_t byte);
    // The CRC of a range starting from the register, which stays as it was.
    std::uint8_t calc_crc(ByteSpan data) const;
    // Compares the CRC of all but the last byte with the last byte (logs a mismatch).
    bool check_crc(ByteSpan data) const;
    std::uint8_t get_crc() const { return crcval; }

    static std::uint8_t calc_crc(ByteSpan data, std::uint8_t initial);
    // True when the CRC over data and its trailing CRC byte comes to 0.
    static bool check_crc(ByteSpan data, std::uint8_t initial);

  private:
    static std::uint8_t step(std::uint8_t crc, std::uint8_t byte);

    std::uint8_t crcval;
};

}  // namespace kelvo
