#pragma once

#include <cstdint>

namespace kelvo::flarm {

// Running CRC-16 (polynomial 0x1021, initial value 0, the XMODEM parameters) of the Flarm
// binary frames, fed one byte at a time.
class crc {
  public:
    void update(std::uint8_t byte);
    std::uint16_t getCRC() const { return m_register; }

  private:
    std::uint16_t m_register = 0;
};

}  // namespace kelvo::flarm
