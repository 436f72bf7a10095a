#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace kelvo {

// Called before each record with the count of input bytes converted so far.
using Fil2IgcProgress = std::function<void(std::size_t position)>;

// How a conversion ended. A native flight is complete when it begins by naming its
// recorder (the A record that every IGC file begins with; fillers may come first) and the
// converter reaches its end record with every record whole. What follows the end record
// (the record-length table of a secure download, the rest of a memory block) is no part of
// the flight. Anything else (a download cut off, a file cut short, bytes that are no LX
// flight at all) is incomplete: the IGC text then holds only what could be converted.
struct Fil2IgcResult {
    // Why the flight is not complete, for the pilot; empty when it is.
    std::string incomplete;

    bool complete() const { return incomplete.empty(); }
};

// Converts an LX native flight (tagged binary records, optionally followed by the 256-byte
// record-length table of a secure download) into IGC text, in one pass. Stops at the end
// tag or the end of the input. Every record is read bounds-checked: a record cut short by
// the end of the input is converted from the bytes that arrived (the rest taken as 0), and
// the conversion ends after it.
Fil2IgcResult convert_fil2igc(std::istream& input, std::ostream& output,
                              const Fil2IgcProgress& progress = {});

}  // namespace kelvo
