#pragma once

#include <ostream>
#include <string>

namespace kelvo::vl {

// The header texts of an IGC file converted from a Volkslogger flight, and their writer.
struct IGCHEADER {
    std::string recorderId;
    std::string date;  // "%d%m%y"
    std::string fixAccuracy;
    std::string pilot;
    std::string gliderType;
    std::string gliderId;
    std::string firmwareVersion;
    std::string hardwareVersion;  // "3.3" and above record engine noise
    std::string recorderType;
    std::string gpsDatum;
    std::string competitionId;
    std::string competitionClass;
    std::string timeZone;
    std::ostream* out = nullptr;

    // Writes the A, H, I and L header lines for an IGC file version (such as 424); with
    // fillMissing set, absent pilot and glider texts still get their optional lines.
    void output(int igcVersion, int fillMissing);

    // Whether the hardware records engine noise with every fix.
    bool recordsEngineNoise() const;
};

}  // namespace kelvo::vl
