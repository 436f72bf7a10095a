#pragma once

#include <any>
#include <chrono>
#include <optional>
#include <string>

namespace kelvo {

// One flight of a logger's flight directory. Each driver fills the fields its device knows;
// consumers treat every field as optional and show them through FlightColumn.
struct FlightEntry {
    std::optional<std::string> number;             // decimal key for readFile: the entry's position
    std::optional<std::string> takeoff;            // "0" when the device detected no take-off
    std::optional<std::chrono::sys_seconds> date;  // first fix, date and time
    std::optional<std::chrono::sys_seconds> firsttime;  // first fix
    std::optional<std::chrono::sys_seconds> lasttime;   // last fix
    std::optional<std::string> duration;                // "%02d:%02d:%02d"
    std::optional<std::string> filename;                // IGC short file name
    std::optional<std::string> pilot;
    std::optional<std::string> compid;
    std::optional<std::string> gliderid;
    // The driver's own directory record, which only the driver that put it there reads.
    std::any driverRecord;

    // The key readFile takes: number read as a decimal integer, nothing when absent or not
    // a number.
    std::optional<int> key() const;

    // An entry without takeoff counts as a flight with take-off.
    bool hasTakeoff() const { return takeoff != "0"; }
};

}  // namespace kelvo
