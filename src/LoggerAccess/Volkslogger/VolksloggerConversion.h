#pragma once

#include <cstdint>
#include <ostream>

#include "base/Bytes.h"

namespace kelvo::vl {

// The IGC file version this system writes; a version of 0 selects it.
constexpr int kDefaultIgcVersion = 424;

// Converts a downloaded flight to IGC text (A, H, I, L, C, B and E records; no G records).
// Answers how many bytes of the data the G records must cover, or 0 when the stream's
// format is unknown (nothing is written then). A stream cut anywhere, or holding a record
// its format does not allow, ends the conversion with what was written so far. A stream
// without a date record counts its times from 1 January 1970, 00:00:00 UTC.
// serialNumber and endOffset may be null; endOffset receives the offset of the end record
// plus one when there is one.
long convert_gcs(int igcVersion, std::ostream& out, ByteSpan data, int fillMissing,
                 std::uint16_t* serialNumber, long* endOffset);

// Pressure altitude [m] of the ICAO standard atmosphere for a 12-bit raw pressure
// (raw x 1100 / 4096 hPa). A raw value of 0 means no reading and gives 0 m.
int pressure2altitude(std::uint16_t raw);

// Fix accuracy [m] of the recorder's accuracy value.
unsigned hdop2fxa(std::uint8_t accuracy);

// Engine-noise transform of newer IGC versions, and the three-digit limit.
int enlflt(int engineNoise);
int enllim(int engineNoise);

}  // namespace kelvo::vl
