#pragma once

#include <cmath>
#include <limits>

namespace kelvo {

// A value rounded to the nearest whole number of a recorder's or a file's integer field
// (halves away from zero), or 0 (no value) when the field cannot hold it or it is not a
// number: file bytes and typed values are untrusted, and a wrapped or clamped value would
// look like real data. Rounding, not truncation, lets a value that went through a unit
// conversion (metres to feet and back) come back as it was, however often it is saved.
template <typename Field>
Field roundedOrZero(double value) {
    const double whole = std::round(value);
    if (!std::isfinite(whole) || whole < static_cast<double>(std::numeric_limits<Field>::min()) ||
        whole > static_cast<double>(std::numeric_limits<Field>::max())) {
        return 0;
    }
    return static_cast<Field>(whole);
}

}  // namespace kelvo
