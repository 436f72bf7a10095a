// kelvo-cli: the scriptable front end to Kelvo's recorder drivers and files.
#include <algorithm>
#include <string>
#include <vector>

#include "LoggerAccess/TerminalPort.h"
#include "base/ConsoleOutput.h"
#include "base/Delay.h"
#include "cli/KelvoCli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    kelvo::setDelayScaleFromEnvironment();
    // Ctrl-C or SIGTERM stops a transfer in order: no partial file, the recorder usable.
    kelvo::TerminalPort::cancelOnSignal(true);
    // The drivers' diagnostics (and what device layers print) only with --verbose, on
    // standard error; standard output carries the result alone.
    const bool verbose =
        std::find(arguments.begin(), arguments.end(), "--verbose") != arguments.end();
    kelvo::ConsoleOutput console(verbose);
    kelvo::cli::KelvoCli cli(console.out(), console.err());
    return cli.run(arguments);
}
