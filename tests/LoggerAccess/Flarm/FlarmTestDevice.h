#pragma once

#include <string>

#include "sim/Flarm/FlarmEmulator.h"

namespace kelvo::test {

// An IGC file long enough for several pieces, holding the escaped bytes 's' (0x73) and
// 'x' (0x78) and a "%" that must reach the file unchanged.
inline std::string flarmIgc(int flight) {
    std::string igc = "AFLAxyz Flarm flight " + std::to_string(flight) + "\r\n";
    igc += "HFPLTPILOTINCHARGE:Test Pilot\r\nHFGTYGLIDERTYPE:ASW 24 100%\r\n";
    for (int fix = 0; fix < 20; ++fix) {
        igc += "B10" + std::to_string(10 + fix) + "004730123N00830456EA0050000600sx\r\n";
    }
    return igc + "GABCDEF\r\n";
}

inline sim::FlarmEmulatorConfig flarmTestDevice() {
    sim::FlarmEmulatorConfig config;
    config.speed = 19200;
    config.chunkSize = 100;
    config.values = {{"HWVER", "LC1"},
                     {"SWVER", "6.42"},
                     {"OBSTDB", "1,4,Alps 2026"},
                     {"SER", "4711"},
                     {"ACFT", "1"},
                     {"PILOT", "Test Pilot"},
                     {"GLIDERTYPE", "ASW 24"},
                     {"COMPCLASS", "Standard"},
                     {"COMPID", "K5"},
                     {"GLIDERID", "D-1234"},
                     {"LIC", "AUD:1;ENL:1;IGC:1"},
                     {"IGCSER", "A4X"}};
    config.flights = {
        {"87FX0011.IGC|2008-07-15|10:05:00|02:30:15|Test Pilot|D-1234", flarmIgc(0)},
        {"87GX0012.IGC|2008-07-16", flarmIgc(1)},  // malformed: fewer than four fields
        {"../87HX0013.IGC|2008-07-17|09:00:00|01:00:00", flarmIgc(2)},
        {"87JX0014.IGC|2008-07-18|11:00:00|00:45:00||D-KXYZ", flarmIgc(3)},
    };
    return config;
}

}  // namespace kelvo::test
