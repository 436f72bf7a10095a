#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimulatedLink.h"
#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

enum class RecorderFamily { LX, Volkslogger, Flarm, LXNAV };
// Declaration: a written declaration is kept with its pilot's first letter changed.
// Database (LX): a written database is kept with its last waypoint 100 m lower.
// NewTask: a Flarm refuses the task of a declaration; Licence: a Flarm without the IGC
// licence, which takes no declaration. StaleRows: an LXNAV loses a row once and then sends
// rows of the earlier request late; SplicedRow: it splices two rows into one once.
enum class Fault { None, Silent, Crc, Drop, Declaration, Database, NewTask, Licence, StaleRows, SplicedRow };

// The most demo flights a simulated recorder is loaded with; enough for a season or two.
constexpr std::size_t kMaxSimulatedFlights = 100;

// What kelvo-sim was asked to run.
struct SimulatorOptions {
    RecorderFamily family = RecorderFamily::LX;
    std::optional<int> speed;  // [baud]; the family's usual speed when not given
    Fault fault = Fault::None;
    DemoSize size = DemoSize::Realistic;
    std::optional<std::size_t> flights;  // the demo's own number when not given
    bool lineRate = false;  // send at the line speed instead of as fast as possible
    LinkKind link = LinkKind::Plain;  // what the bytes cross after the recorder's line
    std::uint64_t seed = 1;           // of the link's random delays and stalls
    std::filesystem::path stats;  // where what was sent is written on stopping; none if empty
    bool verbose = false;  // the emulator's diagnostics on standard error
    bool oldFirmware = false;  // an LXNAV before firmware 2.10
    bool noClock = false;      // an LXNAV without a clock: flights dated 1980

    // The options of the arguments after the program name; nothing (and the reason in
    // error) when they make no sense.
    static std::optional<SimulatorOptions> parse(const std::vector<std::string>& arguments,
                                                 std::string& error);
    static const char* usage();
};

// "Simulated LX", "Simulated Volkslogger", "Simulated Flarm": the name in the port menu.
std::string portName(RecorderFamily family);

}  // namespace kelvo::sim
