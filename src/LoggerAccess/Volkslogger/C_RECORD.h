#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include "base/Bytes.h"

namespace kelvo::vl {

// A position in thousandths of a minute of arc, negative south and west.
struct KOORD {
    long lat = 0;
    long lon = 0;

    // "DDMMmmmN DDDMMmmmE" without spaces; out-of-range values are written as 90 and 180.
    void print(std::ostream& out) const;
};

// One point of the declared task.
struct C2 {
    char name[7] = "      ";
    int typ = 0;
    KOORD position;

    // From a 13-byte waypoint record of the recorder.
    void packed2unpacked(ByteSpan record);
    void print(int igcVersion, std::ostream& out, const char* label) const;
};

// The declared task of a flight and its C-record writer.
struct C_RECORD {
    static constexpr int kTurnpoints = 12;

    std::uint16_t nturnpoints = 0;
    std::uint16_t taskid = 0;
    std::chrono::sys_seconds declarationTime{};
    int printFlag = 0;
    std::uint8_t flightDay = 0;
    std::uint8_t flightMonth = 0;
    std::uint8_t flightYear = 0;
    C2 takeoff;
    C2 start;
    C2 finish;
    C2 landing;
    C2 turnpoints[kTurnpoints];
    int timeZoneOffset = 0;  // [minutes]

    // Writes the task lines when the print flag is set.
    void print(int igcVersion, std::ostream& out);
};

}  // namespace kelvo::vl
