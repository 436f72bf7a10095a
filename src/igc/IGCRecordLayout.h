#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvo {

// The lengths of the B and K records of an IGC file, which its I and J records lay out:
// NN extensions of SSFFCCC (first and last column, 1-based, and code), each starting right
// after the one before it.
class IGCRecordLayout {
  public:
    static constexpr std::size_t kFixLength = 35;    // B HHMMSS DDMMmmmN DDDMMmmmE V PPPPP GGGGG
    static constexpr std::size_t kKRecordLength = 7;  // K HHMMSS

    // The record length an I or J record announces: the last extension's last column, or
    // fixedLength when there are none. Nothing when the record is malformed.
    static std::optional<std::size_t> announcedLength(std::string_view record,
                                                      std::size_t fixedLength);
};

}  // namespace kelvo
