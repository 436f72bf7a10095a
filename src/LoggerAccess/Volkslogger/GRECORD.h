#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "base/Bytes.h"

namespace kelvo::vl {

// Four printable characters for three bytes (6 bits each, most significant first), in the
// alphabet "0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ`abcdefghijklmnopqrstuvwxyz".
std::array<char, 4> byte_bas64(const std::uint8_t triple[3]);

// Writes bytes as G lines of 72 characters, so that the flight's binary data travel in the
// IGC file and can be verified later.
class GRECORD {
  public:
    explicit GRECORD(std::ostream& out) : m_out(out) {}

    void update(std::uint8_t byte);
    // Encodes what is pending (missing bytes 0xFF) and writes the last line.
    void finish();

  private:
    void encodePending();

    std::ostream& m_out;
    std::string m_line;
    int m_pending = 0;
    int m_groups = 0;
    std::uint8_t m_triple[3] = {0xFF, 0xFF, 0xFF};
};

// The G records of the first length bytes of the data.
void print_g_record(std::ostream& out, ByteSpan data, long length);

}  // namespace kelvo::vl
