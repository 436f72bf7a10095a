#include <sstream>

#include "FuzzTargets.h"
#include "LoggerAccess/Volkslogger/VolksloggerConversion.h"

namespace kelvo::fuzz {

// Converts the flight for IGC versions on both sides of each version switch of the
// converter, with and without filling missing header values.
int VolksloggerFlight(const std::uint8_t* data, std::size_t size) {
    const ByteSpan flight(data, size);
    for (const int version : {412, 420, 0}) {
        std::ostringstream igc;
        std::uint16_t serialNumber = 0;
        long endOffset = 0;
        vl::convert_gcs(version, igc, flight, version == 420 ? 0 : 1, &serialNumber, &endOffset);
    }
    return 0;
}

}  // namespace kelvo::fuzz

KELVO_LIBFUZZER_ENTRY(VolksloggerFlight)
