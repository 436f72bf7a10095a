#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LoggerAccess/Logger.h"

namespace kelvo {

class LXNAVBlockTransfer;
class LXNAVLink;
class LXNAVRowTransfer;
class TerminalPort;

// The driver for LXNAV recorders: the Nano loggers and the S-series varios with their own
// logger, which answer "$PLXVC" sentences at the port's speed without a mode to enter. They
// keep IGC files (downloaded in blocks where the firmware can, else row by row) and a
// declaration, but no waypoint database or routes.
class LXNAVLogger : public Logger {
  public:
    LXNAVLogger();
    ~LXNAVLogger() override;

    static std::string loggerName() { return "LXNAV"; }
    static char loggerChar() { return 'L'; }
    static std::string nativeTrackFileExtension() { return "IGC"; }
    static int connectionType() { return 1; }
    static std::vector<std::string> makes() {
        return {"Nano", "Nano3", "Nano4", "S8", "S80", "S10", "S100"};
    }

    // The speeds tried after the remembered one. Never 4800: an LX recorder of the older
    // family answers there, and must not be sent these sentences.
    static std::vector<int> lineSpeeds() { return {19200, 38400, 57600, 115200, 9600}; }

    void fillCapabilities() override;
    bool canSaveLoggerDataToLogger() override { return true; }
    Outcome connect(const std::string& path) override;
    bool stillConnected() override { return connected(); }
    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    Outcome clearDirectory() override;
    Outcome readFile(const std::filesystem::path& path, int key, bool secure, bool translateToIGC,
                     const FlightEntry* entry) override;
    Outcome readDeclaration(bool reload) override;
    std::optional<DeclarationLimits> declarationLimits() const override;
    void disconnect() override;

  protected:
    Outcome storeDatabaseAndDeclaration() override;

  private:
    // The INFO answer's arguments, when the recorder gave one.
    std::optional<std::vector<std::string>> identify(std::chrono::milliseconds within);
    // The outcome (a failure logged), or cancelled when the user asked to stop.
    static Outcome concluded(Outcome outcome);

    std::unique_ptr<TerminalPort> m_port;
    std::unique_ptr<LXNAVLink> m_link;
    std::unique_ptr<LXNAVRowTransfer> m_rows;
    std::unique_ptr<LXNAVBlockTransfer> m_blocks;
    bool m_blocksUnanswered = false;  // the firmware lacks the block transfer
    bool m_recording = false;         // the logger is recording a flight
};

}  // namespace kelvo
