#pragma once

#include <cstddef>
#include <string_view>

#include "igc/IGCRecordLayout.h"

namespace kelvo {

// The length every B and K record of an IGC file must have, learnt from its I and J
// records as the rows arrive. A recorder has been seen splicing two rows into one under a
// valid checksum; such a row is longer than its layout allows and is refused here.
class LXNAVRowLayout {
  public:
    // Takes the layout an I or J record announces; false when such a record is malformed.
    bool learn(std::string_view row);
    // Whether a B or K record has the length the layout gives it (other records always fit).
    bool fits(std::string_view row) const;

  private:
    std::size_t m_fixLength = IGCRecordLayout::kFixLength;
    std::size_t m_eventLength = IGCRecordLayout::kKRecordLength;
};

}  // namespace kelvo
