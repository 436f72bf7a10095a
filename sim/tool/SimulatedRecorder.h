#pragma once

#include <memory>

#include "sim/tool/SimulatorOptions.h"

namespace kelvo::sim {

class PseudoTerminal;

// One emulated recorder playing on a pseudo-terminal until it is destroyed, loaded with the
// demo content and with the chosen fault switched on.
class SimulatedRecorder {
  public:
    virtual ~SimulatedRecorder() = default;

    static std::unique_ptr<SimulatedRecorder> start(const SimulatorOptions& options,
                                                    const DemoContent& content,
                                                    PseudoTerminal& terminal);
};

std::unique_ptr<SimulatedRecorder> startSimulatedLX(const SimulatorOptions& options,
                                                    const DemoContent& content,
                                                    PseudoTerminal& terminal);
std::unique_ptr<SimulatedRecorder> startSimulatedVolkslogger(const SimulatorOptions& options,
                                                             const DemoContent& content,
                                                             PseudoTerminal& terminal);
std::unique_ptr<SimulatedRecorder> startSimulatedLXNAV(const SimulatorOptions& options,
                                                       const DemoContent& content,
                                                       PseudoTerminal& terminal);
std::unique_ptr<SimulatedRecorder> startSimulatedFlarm(const SimulatorOptions& options,
                                                       const DemoContent& content,
                                                       PseudoTerminal& terminal);

}  // namespace kelvo::sim
