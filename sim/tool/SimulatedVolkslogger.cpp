#include "sim/Volkslogger/VolksloggerEmulator.h"
#include "sim/demo/DemoVolkslogger.h"
#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

namespace {

VolksloggerEmulator::Fault emulatorFault(Fault fault) {
    switch (fault) {
        case Fault::None:
        case Fault::Declaration:
        case Fault::Database:
        case Fault::NewTask:
        case Fault::Licence:
        case Fault::StaleRows:
        case Fault::SplicedRow:
            return VolksloggerEmulator::Fault::None;
        case Fault::Silent:
            return VolksloggerEmulator::Fault::Silent;
        case Fault::Crc:
            return VolksloggerEmulator::Fault::WrongCrc;
        case Fault::Drop:
            return VolksloggerEmulator::Fault::DropMidBlock;
    }
    return VolksloggerEmulator::Fault::None;
}

class SimulatedVolkslogger : public SimulatedRecorder {
  public:
    SimulatedVolkslogger(const SimulatorOptions& options, const DemoContent& content,
                         PseudoTerminal& terminal)
        : m_emulator(terminal, demoVolksloggerMemory(content)) {
        m_emulator.setFault(emulatorFault(options.fault));
        m_emulator.alterStoredPilot(options.fault == Fault::Declaration);
        m_emulator.setLineRate(options.lineRate);
    }

  private:
    VolksloggerEmulator m_emulator;
};

}  // namespace

std::unique_ptr<SimulatedRecorder> startSimulatedVolkslogger(const SimulatorOptions& options,
                                                             const DemoContent& content,
                                                             PseudoTerminal& terminal) {
    return std::make_unique<SimulatedVolkslogger>(options, content, terminal);
}

}  // namespace kelvo::sim
