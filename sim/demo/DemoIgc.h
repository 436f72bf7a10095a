#pragma once

#include <chrono>
#include <string>

#include "sim/demo/DemoFlight.h"

namespace kelvo::sim {

// Who recorded a flight, for the A and H records of its IGC file.
struct DemoRecorder {
    std::string manufacturer = "FLA";  // three-letter IGC manufacturer code
    std::string serial = "DF7";        // three characters
    char fileNameCharacter = 'X';      // the manufacturer character of short file names
    std::string hardware = "FLARM06";
    std::string firmware = "7.22";
};

// The IGC file a recorder makes of the flight: A, H, C (the task), B and E records and a
// G record, each line ended by CR LF.
std::string demoIgcFile(const DemoFlight& flight, const DemoRecorder& recorder);

// The short IGC file name: year, month and day digits, the manufacturer character, the
// serial and the flight of the day ("65EXDF71.IGC").
std::string demoIgcFileName(const DemoFlight& flight, const DemoRecorder& recorder);

// "DDMMmmmN" and "DDDMMmmmE" of an IGC B or C record.
std::string igcLatitude(double degrees);
std::string igcLongitude(double degrees);

}  // namespace kelvo::sim
