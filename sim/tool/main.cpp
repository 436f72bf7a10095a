// kelvo-sim: runs one emulated recorder on a pseudo-terminal until it is stopped, and
// publishes the port where Kelvo's port menu finds it.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "LoggerAccess/SerialPortDictionary.h"
#include "base/AtomicFile.h"
#include "base/ConsoleOutput.h"
#include "base/Delay.h"
#include "base/Format.h"
#include "sim/PseudoTerminal.h"
#include "sim/tool/PublishedPort.h"
#include "sim/tool/SimulatedRecorder.h"

namespace {

using namespace kelvo::sim;

// Blocks the stop signals in every thread, so that the main thread alone takes them.
sigset_t blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

// What the recorder sent: {"bytes": 1234, "line_seconds": 0.643, "exchanges": 12}, the least
// time being what a UART needs for the bytes at the line speeds in force when they were sent,
// the exchanges the request/answer turns of the conversation.
std::string statistics(const PseudoTerminal& terminal) {
    const std::chrono::duration<double> lineTime = terminal.lineTime();
    return kelvo::stringf("{\"bytes\": %llu, \"line_seconds\": %.3f, \"exchanges\": %llu}\n",
                          static_cast<unsigned long long>(terminal.bytesSent()), lineTime.count(),
                          static_cast<unsigned long long>(terminal.exchanges()));
}

int run(const SimulatorOptions& options) {
    const sigset_t stopSignals = blockStopSignals();
    kelvo::ConsoleOutput console(options.verbose);
    PseudoTerminal terminal;
    terminal.setLink(options.link, options.seed);
    const DemoContent content = DemoContent::make(options.size, options.flights);
    auto recorder = SimulatedRecorder::start(options, content, terminal);
    const PublishedPort port(kelvo::SerialPortDictionary::defaultSimulatorPortFolder(),
                             portName(options.family), terminal.slavePath());
    console.out() << terminal.slavePath() << '\n'
                  << "Published as \"" << port.link().filename().string() << "\" ("
                  << port.link().string() << "); stop with Ctrl-C" << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    recorder.reset();
    if (!options.stats.empty() && !kelvo::writeFileAtomically(options.stats, statistics(terminal))) {
        std::cerr << "kelvo-sim: could not write " << options.stats.string() << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << SimulatorOptions::usage() << std::endl;
        return 0;
    }
    std::string error;
    const auto options = SimulatorOptions::parse(arguments, error);
    if (!options) {
        std::cerr << "kelvo-sim: " << error << '\n' << SimulatorOptions::usage() << std::endl;
        return 2;
    }
    kelvo::setDelayScaleFromEnvironment();
    try {
        return run(*options);
    } catch (const std::exception& failure) {
        std::cerr << "kelvo-sim: " << failure.what() << std::endl;
        return 1;
    }
}
