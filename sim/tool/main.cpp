// kelvo-sim: runs one emulated recorder on a pseudo-terminal until it is stopped, and
// publishes the port where Kelvo's port menu finds it.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "LoggerAccess/SerialPortDictionary.h"
#include "base/ConsoleOutput.h"
#include "base/Delay.h"
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

int run(const SimulatorOptions& options) {
    const sigset_t stopSignals = blockStopSignals();
    kelvo::ConsoleOutput console(options.verbose);
    PseudoTerminal terminal;
    const DemoContent content = DemoContent::make(options.size);
    const auto recorder = SimulatedRecorder::start(options, content, terminal);
    const PublishedPort port(kelvo::SerialPortDictionary::defaultSimulatorPortFolder(),
                             portName(options.family), terminal.slavePath());
    console.out() << terminal.slavePath() << '\n'
                  << "Published as \"" << port.link().filename().string() << "\" ("
                  << port.link().string() << "); stop with Ctrl-C" << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
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
