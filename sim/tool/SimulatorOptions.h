#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/demo/DemoContent.h"

namespace kelvo::sim {

enum class RecorderFamily { LX, Volkslogger, Flarm };
// Declaration: a written declaration is kept with its pilot's first letter changed.
enum class Fault { None, Silent, Crc, Drop, Declaration };

// What kelvo-sim was asked to run.
struct SimulatorOptions {
    RecorderFamily family = RecorderFamily::LX;
    std::optional<int> speed;  // [baud]; the family's usual speed when not given
    Fault fault = Fault::None;
    DemoSize size = DemoSize::Realistic;
    bool verbose = false;  // the emulator's diagnostics on standard error

    // The options of the arguments after the program name; nothing (and the reason in
    // error) when they make no sense.
    static std::optional<SimulatorOptions> parse(const std::vector<std::string>& arguments,
                                                 std::string& error);
    static const char* usage();
};

// "Simulated LX", "Simulated Volkslogger", "Simulated Flarm": the name in the port menu.
std::string portName(RecorderFamily family);

}  // namespace kelvo::sim
