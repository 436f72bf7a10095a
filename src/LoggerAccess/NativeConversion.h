#pragma once

#include <functional>
#include <string>

#include "base/Bytes.h"

namespace kelvo {

// A recorder's native flight converted to IGC text. A flight is incomplete when its
// download was cut off or the bytes are not of the family's format at all; the text then
// holds what could be converted.
struct NativeConversion {
    std::string igc;
    // Why the flight is not complete, for the pilot; empty when it is.
    std::string incomplete;

    bool complete() const { return incomplete.empty(); }
};

// A family's conversion of its native flights to IGC, from memory to memory.
using NativeToIGC = std::function<NativeConversion(ByteSpan nativeFlight)>;

}  // namespace kelvo
