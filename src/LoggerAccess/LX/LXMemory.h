#pragma once

#include <array>
#include <cstdint>

#include "base/Bytes.h"

namespace kelvo {

// A range of the recorder's flight memory as the recorder sends it for its memory
// information: start position (16-bit big-endian), start page, end position, end page.
// An address is page * 32768 + position.
class LXMemory {
  public:
    static constexpr std::size_t kSize = 6;

    LXMemory() = default;
    // Copies the recorder's six bytes; fewer bytes fill the record from its start.
    explicit LXMemory(ByteSpan fromLogger) { setData(fromLogger); }

    // Start page 8 position 0 to end page 15 position 32768: the memory of a recorder that
    // gives no memory information.
    static LXMemory makeDefaultMemoryInfo();

    void setData(ByteSpan data);
    std::uint16_t startPos() const { return getU16BE(m_lsize, 0); }
    std::uint8_t startPage() const { return m_lsize[2]; }
    std::uint16_t endPos() const { return getU16BE(m_lsize, 3); }
    std::uint8_t endPage() const { return m_lsize[5]; }
    void setStartPos(std::uint16_t position) { putU16BE(m_lsize, 0, position); }
    void setStartPage(std::uint8_t page) { m_lsize[2] = page; }
    void setEndPos(std::uint16_t position) { putU16BE(m_lsize, 3, position); }
    void setEndPage(std::uint8_t page) { m_lsize[5] = page; }

    const std::array<std::uint8_t, kSize>& getData() const { return m_lsize; }
    // Reverses the byte order of both positions in place (the select command wants them
    // low byte first).
    void swap();
    void log() const;

  private:
    std::array<std::uint8_t, kSize> m_lsize{};
};

}  // namespace kelvo
