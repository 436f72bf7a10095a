#pragma once

#include <cmath>
#include <limits>

namespace kelvo {

// A number truncated toward zero into an integer field, or 0 (no value) when the field
// cannot hold it or it is not a number: file bytes and typed values are untrusted, and a
// wrapped or clamped value would look like real data.
template <typename Field>
Field truncatedOrZero(double value) {
    const double whole = std::trunc(value);
    if (!std::isfinite(whole) || whole < static_cast<double>(std::numeric_limits<Field>::min()) ||
        whole > static_cast<double>(std::numeric_limits<Field>::max())) {
        return 0;
    }
    return static_cast<Field>(whole);
}

}  // namespace kelvo
