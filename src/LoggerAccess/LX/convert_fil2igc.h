#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>

namespace kelvo {

// Called before each record with the count of input bytes converted so far.
using Fil2IgcProgress = std::function<void(std::size_t position)>;

// Converts an LX native flight (tagged binary records, optionally followed by the 256-byte
// record-length table of a secure download) into IGC text, in one pass. Stops at the end
// tag or the end of the input and answers 2 in both cases. Every record is read
// bounds-checked: a record cut short by the end of the input is converted from the bytes
// that arrived (the rest taken as 0), and the conversion ends after it.
int convert_fil2igc(std::istream& input, std::ostream& output,
                    const Fil2IgcProgress& progress = {});

}  // namespace kelvo
