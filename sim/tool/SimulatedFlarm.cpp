#include <atomic>
#include <chrono>
#include <thread>

#include "base/Delay.h"
#include "sim/Flarm/FlarmEmulator.h"
#include "sim/demo/DemoFlarm.h"
#include "sim/tool/SimulatedRecorder.h"

namespace kelvo::sim {

namespace {

// The ping's answer and the first flight's record, then nothing.
constexpr std::size_t kBinaryBytesBeforeDrop = 120;

// A watcher drops the line a few frames after the host switched to binary mode, so a
// listing or a download dies part-way.
class SimulatedFlarm : public SimulatedRecorder {
  public:
    SimulatedFlarm(const SimulatorOptions& options, const DemoContent& content,
                   PseudoTerminal& terminal)
        : m_emulator(terminal, configure(options, content)) {
        m_emulator.setSilent(options.fault == Fault::Silent);
        m_emulator.setLineRate(options.lineRate);
        m_emulator.setWrongCrc(options.fault == Fault::Crc);
        m_emulator.setAlterDeclaration(options.fault == Fault::Declaration);
        m_emulator.setRefuseNewTask(options.fault == Fault::NewTask);
        if (options.fault == Fault::Drop)
            m_watcher = std::thread([this] { dropLineInBinaryMode(); });
    }

    ~SimulatedFlarm() override {
        m_stop = true;
        if (m_watcher.joinable()) m_watcher.join();
    }

  private:
    static FlarmEmulatorConfig configure(const SimulatorOptions& options,
                                         const DemoContent& content) {
        FlarmEmulatorConfig config = demoFlarmConfig(content);
        if (options.speed) config.speed = static_cast<std::uint32_t>(*options.speed);
        if (options.fault == Fault::Licence) config.values["LIC"] = "AUD:1;ENL:1;IGC:0;RFB:0";
        return config;
    }

    void dropLineInBinaryMode() {
        while (!m_stop && !m_emulator.inBinaryMode()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        if (m_stop) return;
        m_emulator.dropLineAfter(kBinaryBytesBeforeDrop);
    }

    FlarmEmulator m_emulator;
    std::atomic<bool> m_stop{false};
    std::thread m_watcher;
};

}  // namespace

std::unique_ptr<SimulatedRecorder> startSimulatedFlarm(const SimulatorOptions& options,
                                                       const DemoContent& content,
                                                       PseudoTerminal& terminal) {
    return std::make_unique<SimulatedFlarm>(options, content, terminal);
}

}  // namespace kelvo::sim
