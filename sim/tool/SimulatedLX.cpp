#include "sim/LX/LXRecorderEmulator.h"
#include "sim/demo/DemoLX.h"
#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

namespace {

constexpr int kDefaultSpeed = 19200;
// The request of a flight's first memory block: downloads fail their checksum.
constexpr std::uint8_t kFirstBlockCommand = 0xE6;
// After the identification and the directory, part-way through the first flight.
constexpr std::size_t kBytesBeforeDrop = 2048;

class SimulatedLX : public SimulatedRecorder {
  public:
    SimulatedLX(const SimulatorOptions& options, const DemoContent& content,
                PseudoTerminal& terminal)
        : m_emulator(terminal, options.speed.value_or(kDefaultSpeed)) {
        loadDemo(m_emulator, content);
        m_emulator.setLineRate(options.lineRate);
        switch (options.fault) {
            case Fault::None:
            case Fault::NewTask:
            case Fault::Licence:
            case Fault::StaleRows:
            case Fault::SplicedRow:
                break;
            case Fault::Silent:
                m_emulator.setSilent(true);
                break;
            case Fault::Crc:
                m_emulator.corruptCrcOf(kFirstBlockCommand);
                break;
            case Fault::Drop:
                m_emulator.dropLineAfter(kBytesBeforeDrop);
                break;
            case Fault::Declaration:
                m_emulator.alterStoredPilot(true);
                break;
            case Fault::Database:
                m_emulator.alterStoredDatabase(true);
                break;
        }
    }

  private:
    LXRecorderEmulator m_emulator;
};

}  // namespace

std::unique_ptr<SimulatedRecorder> startSimulatedLX(const SimulatorOptions& options,
                                                    const DemoContent& content,
                                                    PseudoTerminal& terminal) {
    return std::make_unique<SimulatedLX>(options, content, terminal);
}

}  // namespace kelvo::sim
