#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kelvo {

class LXFaiData;

// One flight of a logger's flight directory. Each driver fills the fields its device knows;
// consumers treat every field as optional.
struct FlightEntry {
    // A field as a table cell: nothing, a text or a time (shown in the user's time zone).
    using Value = std::variant<std::monostate, std::string, std::chrono::sys_seconds>;

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
    std::shared_ptr<LXFaiData> lxflightdata;  // the LX driver's own directory record

    // The field named by a key ("number", "date", ...); nothing for unknown keys, absent
    // fields and lxflightdata.
    Value value(std::string_view key) const;

    // The key readFile takes: number read as a decimal integer, nothing when absent or not
    // a number.
    std::optional<int> key() const;

    // An entry without takeoff counts as a flight with take-off.
    bool hasTakeoff() const { return takeoff != "0"; }
};

}  // namespace kelvo
