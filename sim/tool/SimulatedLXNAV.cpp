#include "sim/LXNAV/LXNAVEmulator.h"
#include "sim/demo/DemoLXNAV.h"
#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

namespace {

// Bytes of a transfer that still arrive before the line dies: the first rows or blocks.
constexpr std::size_t kTransferBytesBeforeDrop = 600;

class SimulatedLXNAV : public SimulatedRecorder {
  public:
    SimulatedLXNAV(const SimulatorOptions& options, const DemoContent& content,
                   PseudoTerminal& terminal)
        : m_emulator(terminal, configure(options, content)) {
        m_emulator.setSilent(options.fault == Fault::Silent);
        m_emulator.setLineRate(options.lineRate);
        m_emulator.setWrongChecksum(options.fault == Fault::Crc);
        m_emulator.setAlteredDeclaration(options.fault == Fault::Declaration);
        m_emulator.setStaleRows(options.fault == Fault::StaleRows);
        m_emulator.setSplicedRow(options.fault == Fault::SplicedRow);
        if (options.fault == Fault::Drop)
            m_emulator.dropLineInTransferAfter(kTransferBytesBeforeDrop);
    }

  private:
    static LXNAVEmulatorConfig configure(const SimulatorOptions& options,
                                         const DemoContent& content) {
        LXNAVEmulatorConfig config = demoLXNAVConfig(content, !options.noClock);
        if (options.speed) config.speed = *options.speed;
        // Rows go astray only in the row transfer, which the recorder then has to use.
        if (options.fault == Fault::StaleRows || options.fault == Fault::SplicedRow) {
            config.blockTransfer = false;
        }
        if (options.oldFirmware) {
            config.oldFirmware = true;
            config.software = "2.05";
        }
        return config;
    }

    LXNAVEmulator m_emulator;
};

}  // namespace

std::unique_ptr<SimulatedRecorder> startSimulatedLXNAV(const SimulatorOptions& options,
                                                       const DemoContent& content,
                                                       PseudoTerminal& terminal) {
    return std::make_unique<SimulatedLXNAV>(options, content, terminal);
}

}  // namespace kelvo::sim
