#pragma once

#include <memory>
#include <string>

#include "LoggerAccess/Logger.h"

namespace kelvo {

class KelvoFlarm;

// The driver for Flarm devices: identification, configuration and the declaration in text
// mode, the flight list and IGC downloads in binary mode.
class Flarm : public Logger {
  public:
    Flarm();
    ~Flarm() override;

    static std::string loggerName() { return "Flarm"; }
    static char loggerChar() { return 'X'; }
    static std::string nativeTrackFileExtension() { return "IGC"; }
    static int connectionType() { return 1; }

    void fillCapabilities() override;
    Outcome connect(const std::string& path) override;
    bool stillConnected() override;
    Outcome readInfo() override;
    Outcome readDirectory(bool reload) override;
    Outcome clearDirectory() override;
    Outcome readFile(const std::filesystem::path& path, int key, bool secure,
                     bool translateToIGC, const FlightEntry* entry) override;
    Outcome readDeclaration(bool reload) override;
    std::optional<DeclarationLimits> declarationLimits() const override;
    void disconnect() override;

  protected:
    Outcome storeDatabaseAndDeclaration() override;

  private:
    // Refused unless the unit can keep an IGC declaration: its IGC licence and IGC serial.
    Outcome checkIgcDeclaration();
    // Checks, writes the items and restarts the unit.
    Outcome writeDeclaration();
    Outcome writeDeclarationItems(const Declaration& declaration);
    Outcome binaryModeFailure();
    // Leaves binary mode (after a cancel too) and answers the outcome, or cancelled.
    Outcome finishInTextMode(Outcome outcome);

    std::unique_ptr<KelvoFlarm> m_kelvoFlarm;
    bool m_taskReported = true;  // the last read of the declaration brought the task
};

}  // namespace kelvo
