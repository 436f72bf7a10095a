#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

std::unique_ptr<SimulatedRecorder> SimulatedRecorder::start(const SimulatorOptions& options,
                                                            const DemoContent& content,
                                                            PseudoTerminal& terminal) {
    switch (options.family) {
        case RecorderFamily::Flarm:
            return startSimulatedFlarm(options, content, terminal);
        case RecorderFamily::LX:
        case RecorderFamily::Volkslogger:
            return nullptr;
    }
    return nullptr;
}

}  // namespace kelvo::sim
