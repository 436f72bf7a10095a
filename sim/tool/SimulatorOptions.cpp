#include "sim/tool/SimulatorOptions.h"

#include <charconv>

namespace kelvo::sim {

namespace {

std::optional<RecorderFamily> familyNamed(const std::string& name) {
    if (name == "lx") return RecorderFamily::LX;
    if (name == "volkslogger") return RecorderFamily::Volkslogger;
    if (name == "flarm") return RecorderFamily::Flarm;
    if (name == "lxnav") return RecorderFamily::LXNAV;
    return std::nullopt;
}

std::optional<Fault> faultNamed(const std::string& name) {
    if (name == "silent") return Fault::Silent;
    if (name == "crc") return Fault::Crc;
    if (name == "drop") return Fault::Drop;
    if (name == "declaration") return Fault::Declaration;
    if (name == "database") return Fault::Database;
    if (name == "newtask") return Fault::NewTask;
    if (name == "licence") return Fault::Licence;
    if (name == "stale-rows") return Fault::StaleRows;
    if (name == "spliced-row") return Fault::SplicedRow;
    return std::nullopt;
}

std::optional<int> numberOf(const std::string& text) {
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

std::optional<int> baudOf(const std::string& text) {
    const auto baud = numberOf(text);
    if (!baud) return std::nullopt;
    for (const int known : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400}) {
        if (*baud == known) return baud;
    }
    return std::nullopt;
}

}  // namespace

const char* SimulatorOptions::usage() {
    return "usage: kelvo-sim lx|volkslogger|flarm|lxnav [--speed BAUD] "
           "[--fault silent|crc|drop|declaration|database|newtask|licence|stale-rows|spliced-row] "
           "[--small] [--flights N] [--line-rate] [--link plain|usb|bluetooth] [--seed N] "
           "[--old-firmware] [--no-clock] [--stats FILE] [--verbose]\n"
           "  --fault       newtask and licence are a Flarm's: it refuses the task, or has no\n"
           "                IGC licence and takes no declaration; stale-rows and spliced-row an\n"
           "                LXNAV's: it loses a row and then sends old rows late, or splices two\n"
           "                rows into one, once each (in the row transfer, which it then uses)\n"
           "  --old-firmware  an LXNAV before 2.10: old count answer, no sizes, no block transfer\n"
           "  --no-clock    an LXNAV without a clock: flights dated 00.00.1980, landing unknown\n"
           "  --flights N   hold N demo flights (1 to 100) instead of four\n"
           "  --line-rate   send no faster than the line speed the host set\n"
           "  --link usb    deliver what the recorder sends in chunks every 16 ms, as a USB "
           "adapter does\n"
           "  --link bluetooth  delay it by 20-80 ms and stall 300-600 ms every few seconds\n"
           "  --seed N      seed of the Bluetooth link's delays and stalls (1 by default)\n"
           "  --stats FILE  on stopping, write the bytes sent and their least line time to FILE";
}

std::optional<SimulatorOptions> SimulatorOptions::parse(const std::vector<std::string>& arguments,
                                                        std::string& error) {
    SimulatorOptions options;
    bool haveFamily = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--speed" && hasValue) {
            options.speed = baudOf(arguments[++i]);
            if (!options.speed) {
                error = "not a line speed: " + arguments[i];
                return std::nullopt;
            }
        } else if (argument == "--fault" && hasValue) {
            const auto fault = faultNamed(arguments[++i]);
            if (!fault) {
                error = "unknown fault: " + arguments[i];
                return std::nullopt;
            }
            options.fault = *fault;
        } else if (argument == "--flights" && hasValue) {
            const auto count = numberOf(arguments[++i]);
            if (!count || *count < 1 || static_cast<std::size_t>(*count) > kMaxSimulatedFlights) {
                error = "not a number of flights from 1 to " +
                        std::to_string(kMaxSimulatedFlights) + ": " + arguments[i];
                return std::nullopt;
            }
            options.flights = static_cast<std::size_t>(*count);
        } else if (argument == "--link" && hasValue) {
            const auto link = linkNamed(arguments[++i]);
            if (!link) {
                error = "unknown link: " + arguments[i];
                return std::nullopt;
            }
            options.link = *link;
        } else if (argument == "--seed" && hasValue) {
            const auto seed = numberOf(arguments[++i]);
            if (!seed || *seed < 0) {
                error = "not a seed: " + arguments[i];
                return std::nullopt;
            }
            options.seed = static_cast<std::uint64_t>(*seed);
        } else if (argument == "--stats" && hasValue) {
            options.stats = arguments[++i];
        } else if (argument == "--line-rate") {
            options.lineRate = true;
        } else if (argument == "--old-firmware") {
            options.oldFirmware = true;
        } else if (argument == "--no-clock") {
            options.noClock = true;
        } else if (argument == "--small") {
            options.size = DemoSize::Small;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (const auto family = familyNamed(argument); family && !haveFamily) {
            options.family = *family;
            haveFamily = true;
        } else {
            error = "unexpected argument: " + argument;
            return std::nullopt;
        }
    }
    if (!haveFamily) {
        error = "which recorder? lx, volkslogger, flarm or lxnav";
        return std::nullopt;
    }
    if ((options.fault == Fault::NewTask || options.fault == Fault::Licence) &&
        options.family != RecorderFamily::Flarm) {
        error = "the newtask and licence faults are a Flarm's";
        return std::nullopt;
    }
    const bool lxnav = options.family == RecorderFamily::LXNAV;
    if (!lxnav && (options.fault == Fault::StaleRows || options.fault == Fault::SplicedRow ||
                   options.oldFirmware || options.noClock)) {
        error = "stale-rows, spliced-row, --old-firmware and --no-clock are an LXNAV's";
        return std::nullopt;
    }
    if (options.family == RecorderFamily::Volkslogger && options.speed) {
        error = "a Volkslogger takes commands at 9600 baud and data at the speed the host asks for";
        return std::nullopt;
    }
    return options;
}

std::string portName(RecorderFamily family) {
    switch (family) {
        case RecorderFamily::LX:
            return "Simulated LX";
        case RecorderFamily::Volkslogger:
            return "Simulated Volkslogger";
        case RecorderFamily::Flarm:
            return "Simulated Flarm";
        case RecorderFamily::LXNAV:
            return "Simulated LXNAV";
    }
    return "Simulated recorder";
}

}  // namespace kelvo::sim
