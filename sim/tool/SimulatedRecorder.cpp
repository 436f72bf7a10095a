#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

std::unique_ptr<SimulatedRecorder> SimulatedRecorder::start(const SimulatorOptions& options,
                                                            const DemoContent& content,
                                                            PseudoTerminal& terminal) {
    switch (options.family) {
        case RecorderFamily::Flarm:
            return startSimulatedFlarm(options, content, terminal);
        case RecorderFamily::Volkslogger:
            return startSimulatedVolkslogger(options, content, terminal);
        case RecorderFamily::LXNAV:
            return startSimulatedLXNAV(options, content, terminal);
        case RecorderFamily::LX:
            return startSimulatedLX(options, content, terminal);
    }
    return nullptr;
}

}  // namespace kelvo::sim
