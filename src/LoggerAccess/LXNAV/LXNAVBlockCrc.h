#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvo {

// The check value of the recorder's block transfer: the reflected CRC-32 (polynomial
// 0xEDB88320, start 0xFFFFFFFF, inverted at the end), except that every right shift copies
// the sign bit in, as the recorder computes it in a signed integer. Kept running: a block's
// value covers the base64 text of every block so far, the final value the decoded file.
class LXNAVBlockCrc {
  public:
    void add(std::string_view bytes);
    // As the recorder prints it: signed.
    std::int32_t value() const;

    static std::int32_t of(std::string_view bytes);
    // A printed value, signed or (as some firmware prints it on a resent block) unsigned.
    static std::optional<std::int32_t> parse(std::string_view text);

  private:
    std::uint32_t m_state = 0xFFFFFFFF;
};

}  // namespace kelvo
