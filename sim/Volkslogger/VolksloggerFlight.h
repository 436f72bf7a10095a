#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/Volkslogger/VLAPI_DATA.h"
#include "base/Bytes.h"
#include "sim/Volkslogger/VolksloggerStreamWriter.h"

namespace kelvo::sim {

// The task a Volkslogger flight carries in its declaration records.
struct VolksloggerTask {
    std::uint16_t taskId = 1;
    std::array<std::uint8_t, 3> flightDate = {0, 0, 0};  // day, month, year; zeros: none
    long declaredAt = 0;  // [s] relative to the first fix, at most 0 (declared before it)
    vl::VLAPI_DATA::WPT takeoff;
    vl::VLAPI_DATA::WPT start;
    std::vector<vl::VLAPI_DATA::WPT> turnpoints;  // at most 12
    vl::VLAPI_DATA::WPT finish;
    vl::VLAPI_DATA::WPT landing;
};

// A flight as a test or the emulator describes it; encodeFlight turns it into the bytes
// the recorder would send.
struct VolksloggerFlight {
    struct Fix : VolksloggerFix {
        long at = 0;  // [s] after the first fix, ascending
    };

    int formatVersion = 1;
    std::uint16_t serialNumber = 1234;
    std::uint8_t gpsDatum = 100;
    std::uint8_t hardwareVersion = 0x33;  // high nibble major, low nibble minor
    std::uint8_t firmwareVersion = 0x36;
    std::uint8_t fixAccuracy = 50;
    std::string pilot;  // up to 64 characters, recorded in pieces of 16
    std::string gliderType;
    std::string gliderId;
    std::string competitionId;
    std::string competitionClass;
    std::optional<int> timeZoneQuarterHours;
    std::chrono::sys_seconds firstFix{};
    std::vector<Fix> fixes;
    std::vector<long> events;     // pilot events [s after the first fix]
    std::optional<long> takeoff;  // [s after the first fix]
    std::optional<VolksloggerTask> task;

    // [s] from the first to the last fix
    long recordingTime() const { return fixes.empty() ? 0 : fixes.back().at - fixes.front().at; }
    std::chrono::sys_seconds lastFix() const {
        return firstFix + std::chrono::seconds(recordingTime());
    }
};

// The flight stream: start, recorder info, pilot and glider texts, date, declaration, fixes
// (full, then differential while the changes fit) with events and take-off between them,
// and the end record.
Bytes encodeFlight(const VolksloggerFlight& flight);

// The directory block of the flights, in the given order, ended by the end-of-data mark.
Bytes encodeDirectory(const std::vector<VolksloggerFlight>& flights);

// A steady synthetic flight: one fix per interval over the duration, circling slowly.
VolksloggerFlight syntheticFlight(std::chrono::sys_seconds firstFix, long durationSeconds,
                                  long intervalSeconds);

}  // namespace kelvo::sim
