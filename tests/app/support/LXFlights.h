#pragma once

#include "sim/LX/LXNativeFlightEncoder.h"
#include "sim/LX/LXRecorderEmulator.h"

namespace kelvo::test {

// A secured LX flight of that number with that many fixes, recorded on 7 October 2009.
inline sim::LXNativeFlightEncoder encodedLXFlight(std::uint8_t number, int fixes) {
    sim::LXNativeFlightEncoder encoder;
    encoder.flightNumber(number)
        .date(7, 10, 2009)
        .recorderIdentification("LXNAVNANO")
        .flightInformation({"Hans", "LS8", "D-1234", "XY", 0, 100, 25, "uBlox"})
        .origin(32700, 2850000, 495000);
    for (int i = 0; i < fixes; ++i) encoder.fix(32700 + i, 2850000 + i, 495000 - i, 500, 520);
    encoder.security(0x0D, Bytes(64, 0xAB)).end();
    return encoder;
}

// The flight as the emulated recorder keeps it.
inline sim::LXEmulatedFlight emulatedLXFlight(const sim::LXNativeFlightEncoder& encoder,
                                              std::uint8_t number) {
    sim::LXEmulatedFlight flight;
    flight.native = encoder.bytes();
    flight.securityBlock = encoder.lengthTable();
    flight.flightNumber = number;
    return flight;
}

}  // namespace kelvo::test
